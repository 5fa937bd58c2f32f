// SPDX-License-Identifier: GPL-3.0-or-later
// Golden renders: short scenarios played through the built bundle and compared with reference
// renders kept in data/. They catch any change to what the instrument sounds like, down to the
// precision of its arithmetic. The tolerance allows the last-bit differences that another C
// library's sinf/expf may bring, nothing audible.
//
// After an intended change of the sound, regenerate the references and listen to the result:
//   BRASK_UPDATE_GOLDEN=1 build/tests/golden/brask_golden_tests
#include "BuiltBundle.h"
#include "EventList.h"
#include "GoldenScenarios.h"
#include "ParameterChanges.h"
#include "ProcessBuffers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;
using namespace GoldenScenarios;

namespace {

/** Largest difference from the reference that still counts as the same sound. */
constexpr float kTolerance = 1.0e-4f;

/** Renders a scenario through the bundle; returns the left channel (the right must equal it). */
std::vector<float> render(const Scenario& scenario)
{
    std::string error;
    TestSupport::BuiltBundle bundle;
    if (!bundle.start(kSampleRate, kBlock, error))
    {
        ADD_FAILURE() << error;
        return {};
    }
    Hosting::PluginInstance* instance = bundle.instance.get();

    Host::ProcessBuffers buffers(kBlock);
    Hosting::ParameterChanges changes;
    Hosting::EventList events;
    std::vector<float> left;
    left.reserve(kLength);
    for (int32 start = 0; start < kLength; start += kBlock)
    {
        changes.clear();
        events.clear();
        for (const Action& action : scenario.actions)
        {
            if (action.sample < start || action.sample >= start + kBlock) continue;
            const int32 offset = action.sample - start;
            const auto note = static_cast<int16>(action.id);
            if (action.kind == Action::kNoteOn)
                events.addNoteOn(offset, note, static_cast<float>(action.value));
            else if (action.kind == Action::kNoteOff)
                events.addNoteOff(offset, note);
            else
                changes.add(action.id, offset, action.value);
        }
        instance->process(buffers.prepare(kBlock, &changes, &events));
        for (int32 i = 0; i < kBlock; ++i)
        {
            EXPECT_EQ(buffers.channel(0)[i], buffers.channel(1)[i]);
            left.push_back(buffers.channel(0)[i]);
        }
    }
    return left;
}

std::string referencePath(const Scenario& scenario)
{
    return std::string(BRASK_GOLDEN_DIR) + "/" + scenario.name + ".f32";
}

// Reference files are raw little-endian 32-bit floats, as x86-64 stores them.
std::vector<float> readReference(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<float> samples;
    float sample = 0.0f;
    while (file.read(reinterpret_cast<char*>(&sample), sizeof(sample)))
        samples.push_back(sample);
    return samples;
}

void writeReference(const std::string& path, const std::vector<float>& samples)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(samples.data()),
               static_cast<std::streamsize>(samples.size() * sizeof(float)));
    ASSERT_TRUE(file) << "cannot write " << path;
}

class GoldenRender : public ::testing::TestWithParam<Scenario>
{};

TEST_P(GoldenRender, SoundsLikeItsReference)
{
    const Scenario& scenario = GetParam();
    const std::vector<float> rendered = render(scenario);
    ASSERT_EQ(rendered.size(), static_cast<size_t>(kLength));
    const float peak =
        std::fabs(*std::max_element(rendered.begin(), rendered.end(),
                                    [](float a, float b) { return std::fabs(a) < std::fabs(b); }));
    EXPECT_GT(peak, 0.01f) << "the scenario should make sound";

    const std::string path = referencePath(scenario);
    if (std::getenv("BRASK_UPDATE_GOLDEN"))
    {
        writeReference(path, rendered);
        return;
    }
    const std::vector<float> reference = readReference(path);
    ASSERT_EQ(reference.size(), rendered.size()) << "missing or short reference " << path;

    float largest = 0.0f;
    size_t where = 0;
    for (size_t i = 0; i < rendered.size(); ++i)
    {
        const float difference = std::fabs(rendered[i] - reference[i]);
        if (!(difference <= largest))
        {
            largest = difference;
            where = i;
        }
    }
    EXPECT_LE(largest, kTolerance) << "largest difference at sample " << where << ": rendered "
                                   << rendered[where] << ", reference " << reference[where];
}

INSTANTIATE_TEST_SUITE_P(Scenarios, GoldenRender, ::testing::ValuesIn(scenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
