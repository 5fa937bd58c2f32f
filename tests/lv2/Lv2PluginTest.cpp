// SPDX-License-Identifier: GPL-3.0-or-later
// The built LV2 bundle as an LV2 host meets it through lilv: its description against the
// controller VST 3 hosts see, its sound against the VST 3 path sample for sample, block lengths
// and bad input, its state and its presets.
#include "Lv2TestHost.h"

#include "BuiltBundle.h"
#include "FactoryPresets.h"
#include "GoldenScenarios.h"
#include "KitPhrase.h"
#include "Lv2Ports.h"
#include "MidiFile.h"
#include "ProcessBuffers.h"
#include "SampleCompare.h"

#include "BlockInput.h"
#include "EventList.h"
#include "MidiTranslator.h"
#include "ParameterChanges.h"
#include "Utf16.h"

#include "BraskParameterDefaults.h"

#include <gtest/gtest.h>

#include <lv2/atom/atom.h>
#include <lv2/midi/midi.h>
#include <lv2/presets/presets.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

namespace {

constexpr double kSampleRate = 48000.0;
constexpr const char* kStateUri = "https://tarvik.audio/plugins/brask#state";
constexpr const char* kStateTypeUri = "https://tarvik.audio/plugins/brask#ProcessorState";

/** One host block: its length, its MIDI, and control port values set before it (port - 3). */
struct Step
{
    uint32_t frames;
    std::vector<Lv2Test::Midi> midi;
    std::vector<std::pair<uint32_t, float>> controls;
};

std::vector<Step> blocks(uint32_t count, uint32_t frames)
{
    return std::vector<Step>(count, Step{frames, {}, {}});
}

/** A chord, a controller sweep and a mono glide line, in blocks of 100. */
std::vector<Step> phrase()
{
    std::vector<Step> steps = blocks(200, 100);
    steps[0].controls = {{kVcfReso, 0.8f}, {kEnvRel, 0.3f}};
    steps[1].midi = {{0, {0x90, 48, 100}}, {17, {0x90, 55, 90}}, {17, {0x91, 60, 80}}};
    for (uint32_t i = 0; i < 12; ++i)
    {
        steps[2 + i].midi = {{5, {0xB0, 1, static_cast<uint8_t>(10 * i)}},
                             {50, {0xE0, 0, static_cast<uint8_t>(64 + 4 * i)}},
                             {70, {0xD0, static_cast<uint8_t>(9 * i)}}};
        steps[2 + i].controls = {{kVcfFreq, 0.2f + 0.05f * static_cast<float>(i)}};
    }
    steps[40].midi = {{3, {0x80, 48, 40}}, {5, {0x90, 55, 0}}, {9, {0xB0, 123, 0}}};
    steps[60].controls = {{kGlide, 5.0f}, {kGlideRate, 0.4f}, {kOctave, -1.0f}};
    const uint8_t line[] = {60, 62, 64, 65, 67, 65, 64, 62};
    for (uint8_t i = 0; i < 8; ++i)
        steps[61 + 10 * i].midi = {{30, {0x90, line[i], 100}}};
    steps[150].midi = {{0, {0xB0, 120, 0}}};
    return steps;
}

std::vector<float> renderLv2(Lv2Test::Instance& instance, const std::vector<Step>& steps)
{
    std::vector<float> out;
    for (const Step& step : steps)
    {
        for (const auto& control : step.controls)
            instance.controls[control.first] = control.second;
        instance.run(step.frames, step.midi, out);
    }
    return out;
}

/** The same steps through the VST 3 path, controls mapped as the LV2 ports map them. */
std::vector<float> renderVst3(Hosting::PluginInstance& instance, const std::vector<Step>& steps,
                              int32 maxBlock)
{
    TestSupport::KitPhrase phrase(instance, maxBlock);
    for (const Step& step : steps)
    {
        for (const auto& control : step.controls)
        {
            const Lv2::ControlPort& port =
                *Lv2::controlPort(Lv2::kFirstControlPort + control.first);
            phrase.change(port.parameterId, Lv2::toNormalized(port, control.second));
        }
        for (const Lv2Test::Midi& m : step.midi)
        {
            uint8 bytes[3] = {};
            std::copy(m.bytes.begin(), m.bytes.end(), bytes);
            phrase.midiMessage(static_cast<int32>(m.frame), bytes);
        }
        phrase.render(static_cast<int32>(step.frames));
    }
    return phrase.out;
}

using TestSupport::firstDifference;
using TestSupport::peak;

bool finite(const std::vector<float>& samples)
{
    return std::all_of(samples.begin(), samples.end(), [](float s) { return std::isfinite(s); });
}

/** A property an instance saves through its state interface: by default the processor's state
    stream. */
std::vector<uint8_t> savedState(Lv2Test::Instance& instance, const char* property = kStateUri)
{
    struct Store
    {
        LV2_URID key;
        std::vector<uint8_t> bytes;
    } store{instance.world.urids.map(property), {}};
    auto function = [](LV2_State_Handle handle, uint32_t key, const void* value, size_t size,
                       uint32_t, uint32_t) -> LV2_State_Status {
        auto* s = static_cast<Store*>(handle);
        if (key == s->key)
            s->bytes.assign(static_cast<const uint8_t*>(value),
                            static_cast<const uint8_t*>(value) + size);
        return LV2_STATE_SUCCESS;
    };
    instance.state()->save(instance.handle(), function, &store, 0, nullptr);
    return store.bytes;
}

/** The name of the preset the instance's sound came from, as it saves it. */
std::string savedProgramName(Lv2Test::Instance& instance)
{
    const std::vector<uint8_t> text =
        savedState(instance, "https://tarvik.audio/plugins/brask#programName");
    return std::string(text.begin(), std::find(text.begin(), text.end(), '\0'));
}

double valueIn(const std::vector<uint8_t>& state, uint32_t id)
{
    double value = 0.0;
    std::memcpy(&value, state.data() + 4 + 8 * size_t{id}, sizeof value);
    return value;
}

class Lv2Plugin : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(world.plugin, nullptr) << "no Brask in " BRASK_LV2_BUNDLE;
        std::string error;
        ASSERT_TRUE(vst3.open(error)) << error;
    }

    Lv2Test::World world;
    TestSupport::BuiltBundle vst3;
};

TEST_F(Lv2Plugin, DescribesAnInstrumentWithTheControllersParameters)
{
    const LilvPlugin* plugin = world.plugin;
    LilvNode* type = lilv_new_uri(world.world, LILV_NS_RDF "type");
    LilvNode* instrument = lilv_new_uri(world.world, LV2_CORE__InstrumentPlugin);
    EXPECT_TRUE(lilv_world_ask(world.world, lilv_plugin_get_uri(plugin), type, instrument));
    lilv_node_free(instrument);
    lilv_node_free(type);

    auto count = [&](const char* a, const char* b) {
        LilvNode* first = lilv_new_uri(world.world, a);
        LilvNode* second = lilv_new_uri(world.world, b);
        const uint32_t n = lilv_plugin_get_num_ports_of_class(plugin, first, second, nullptr);
        lilv_node_free(first);
        lilv_node_free(second);
        return n;
    };
    EXPECT_EQ(lilv_plugin_get_num_ports(plugin), 27u);
    EXPECT_EQ(count(LV2_CORE__InputPort, LV2_ATOM__AtomPort), 1u);
    EXPECT_EQ(count(LV2_CORE__OutputPort, LV2_CORE__AudioPort), 2u);
    EXPECT_EQ(count(LV2_CORE__InputPort, LV2_CORE__ControlPort), 24u);
    LilvNode* midiEvent = lilv_new_uri(world.world, LV2_MIDI__MidiEvent);
    EXPECT_TRUE(
        lilv_port_supports_event(plugin, lilv_plugin_get_port_by_index(plugin, 0), midiEvent));
    lilv_node_free(midiEvent);

    // Each control: the parameter's title, and as its default the Init sound as the controller
    // shows it.
    IEditController* controller = vst3.instance->controller();
    for (uint32_t i = 0; i < Lv2Test::kControlPorts; ++i)
    {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, Lv2Test::kFirstControl + i);
        const Lv2::ControlPort& mapping = *Lv2::controlPort(Lv2Test::kFirstControl + i);
        ParameterInfo info{};
        ASSERT_EQ(controller->getParameterInfo(static_cast<int32>(i), info), kResultOk);
        EXPECT_EQ(mapping.parameterId, info.id);
        LilvNode* name = lilv_port_get_name(plugin, port);
        EXPECT_EQ(lilv_node_as_string(name), Hosting::toUtf8(info.title));
        lilv_node_free(name);

        LilvNode* def = nullptr;
        lilv_port_get_range(plugin, port, &def, nullptr, nullptr);
        ASSERT_NE(def, nullptr);
        String128 expected{};
        String128 shown{};
        controller->getParamStringByValue(info.id, kDefaultParamValues[info.id], expected);
        controller->getParamStringByValue(
            info.id, Lv2::toNormalized(mapping, lilv_node_as_float(def)), shown);
        EXPECT_EQ(Hosting::toUtf8(shown), Hosting::toUtf8(expected)) << Hosting::toUtf8(info.title);
        lilv_node_free(def);
    }

    // Glide's scale points are the controller's entries.
    const LilvPort* glide = lilv_plugin_get_port_by_index(plugin, Lv2Test::kFirstControl + kGlide);
    LilvScalePoints* points = lilv_port_get_scale_points(plugin, glide);
    ASSERT_NE(points, nullptr);
    EXPECT_EQ(lilv_scale_points_size(points), 6u);
    LILV_FOREACH(scale_points, i, points)
    {
        const LilvScalePoint* point = lilv_scale_points_get(points, i);
        const float index = lilv_node_as_float(lilv_scale_point_get_value(point));
        String128 text{};
        controller->getParamStringByValue(kGlide, index / 5.0, text);
        EXPECT_EQ(lilv_node_as_string(lilv_scale_point_get_label(point)), Hosting::toUtf8(text));
    }
    lilv_scale_points_free(points);
}

TEST_F(Lv2Plugin, PlaysTheGoldenScenariosAsTheVst3PathDoes)
{
    // Notes as MIDI with 7-bit velocities; sound parameters as control ports before the block
    // they start in; the MIDI controllers' parameters as the MIDI that drives them.
    namespace Golden = GoldenScenarios;
    const std::map<ParamID, uint8_t> controllers = {{Golden::kModWheel, 1},
                                                    {Golden::kFilterModUp, 2},
                                                    {Golden::kFilterModDown, 3},
                                                    {Golden::kResonance, 11}};
    for (const Golden::Scenario& scenario : Golden::scenarios())
    {
        SCOPED_TRACE(scenario.name);
        std::vector<Step> steps = blocks(Golden::kLength / Golden::kBlock, Golden::kBlock);
        for (const Golden::Action& action : scenario.actions)
        {
            Step& step = steps[static_cast<size_t>(action.sample / Golden::kBlock)];
            const auto offset = static_cast<uint32_t>(action.sample % Golden::kBlock);
            const auto note = static_cast<uint8_t>(action.id);
            const auto seven = static_cast<uint8_t>(std::lround(action.value * 127));
            if (action.kind == Golden::Action::kNoteOn)
                step.midi.push_back({offset, {0x90, note, seven}});
            else if (action.kind == Golden::Action::kNoteOff)
                step.midi.push_back({offset, {0x80, note, 0}});
            else if (action.id < Lv2Test::kControlPorts)
            {
                ASSERT_EQ(offset, 0u) << "control ports change at a block's start";
                const Lv2::ControlPort& port =
                    *Lv2::controlPort(Lv2::kFirstControlPort + action.id);
                step.controls.push_back({action.id, Lv2::toPortValue(port, action.value)});
            }
            else if (action.id == Golden::kPitchBend)
            {
                const auto bend = static_cast<int>(std::lround(action.value * 16383));
                step.midi.push_back(
                    {offset,
                     {0xE0, static_cast<uint8_t>(bend & 0x7F), static_cast<uint8_t>(bend >> 7)}});
            }
            else if (action.id == Golden::kAftertouch)
                step.midi.push_back({offset, {0xD0, seven}});
            else
                step.midi.push_back({offset, {0xB0, controllers.at(action.id), seven}});
        }

        Lv2Test::Instance lv2(world, Golden::kSampleRate, Golden::kBlock);
        ASSERT_TRUE(lv2.valid());
        TestSupport::BuiltBundle reference;
        std::string error;
        ASSERT_TRUE(reference.open(error)) << error;
        ASSERT_TRUE(reference.instance->start(Golden::kSampleRate, Golden::kBlock, error)) << error;
        const std::vector<float> heard = renderLv2(lv2, steps);
        const std::vector<float> expected = renderVst3(*reference.instance, steps, Golden::kBlock);
        EXPECT_GT(peak(expected), 0.01f);
        EXPECT_EQ(firstDifference(heard, expected), -1);
    }
}

/** The steps' MIDI and controls in host blocks of other lengths, each at the same sample;
    controls move at the start of the block that holds their sample. */
std::vector<Step> recut(const std::vector<Step>& steps, const std::vector<uint32_t>& lengths)
{
    std::vector<std::pair<uint32_t, const Step*>> starts;
    uint32_t total = 0;
    for (const Step& step : steps)
    {
        starts.push_back({total, &step});
        total += step.frames;
    }
    std::vector<Step> out;
    for (uint32_t at = 0, i = 0; at < total; ++i)
    {
        const uint32_t length = std::min(lengths[i % lengths.size()], total - at);
        Step piece{length, {}, {}};
        for (const auto& start : starts)
        {
            if (start.first >= at && start.first < at + length)
                piece.controls.insert(piece.controls.end(), start.second->controls.begin(),
                                      start.second->controls.end());
            for (const Lv2Test::Midi& m : start.second->midi)
            {
                const uint32_t when = start.first + m.frame;
                if (when >= at && when < at + length) piece.midi.push_back({when - at, m.bytes});
            }
        }
        out.push_back(piece);
        at += length;
    }
    return out;
}

TEST_F(Lv2Plugin, PlaysAnyBlockLengthAsTheVst3PathDoes)
{
    // Host blocks of every kind of length, with and without a maximum the host names: blocks
    // beyond what the processor was set up for are rendered in pieces of that size.
    struct Case
    {
        const char* name;
        int32_t maxBlock; // the host's option; 0: none
        int32_t setUp;    // what the processor is then set up for
        std::vector<uint32_t> lengths;
    };
    const Case cases[] = {
        {"single samples and odd lengths", 512, 512, {1, 7, 100, 93, 1, 199}},
        {"blocks beyond the named maximum", 64, 64, {100, 1000, 333}},
        {"no maximum named", 0, 4096, {100, 5000, 17}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::vector<Step> steps = recut(phrase(), c.lengths);
        Lv2Test::Instance lv2(world, kSampleRate, c.maxBlock);
        ASSERT_TRUE(lv2.valid());
        TestSupport::BuiltBundle reference;
        std::string error;
        ASSERT_TRUE(reference.open(error)) << error;
        ASSERT_TRUE(reference.instance->start(kSampleRate, c.setUp, error)) << error;
        const std::vector<float> heard = renderLv2(lv2, steps);
        const std::vector<float> expected = renderVst3(*reference.instance, steps, c.setUp);
        EXPECT_GT(peak(expected), 0.05f);
        EXPECT_EQ(firstDifference(heard, expected), -1);
    }
}

TEST_F(Lv2Plugin, BadInputChangesNothing)
{
    // Junk in every input, then the phrase: the result is that of the phrase alone.
    Lv2Test::Instance clean(world, kSampleRate, 256);
    Lv2Test::Instance junk(world, kSampleRate, 256);
    ASSERT_TRUE(clean.valid() && junk.valid());
    std::vector<float> out;
    const std::array<float, Lv2Test::kControlPorts> defaults = junk.controls;
    junk.controls.fill(NAN);
    junk.run(64,
             {{0, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}}, // system exclusive
              {3, {}},                                   // empty
              {5, {0xC0, 3}},                            // program change
              {9, {0x90}}},                              // cut short
             out);
    junk.controls.fill(std::numeric_limits<float>::infinity());
    junk.run(64, {}, out);
    junk.runUnconnected(64); // renders nothing
    junk.run(0, {}, out);
    EXPECT_TRUE(finite(out));
    junk.controls = defaults;
    std::vector<float> ignored;
    clean.run(64, {}, ignored);
    clean.run(64, {}, ignored);

    // Values out of range take the range's end.
    std::vector<Step> steps = phrase();
    steps[0].controls.push_back({kVcfFreq, 7.0f});
    steps[0].controls.push_back({kGlide, -3.0f});
    std::vector<Step> expected = phrase();
    expected[0].controls.push_back({kVcfFreq, 1.0f});
    expected[0].controls.push_back({kGlide, 0.0f});
    const std::vector<float> heard = renderLv2(junk, steps);
    EXPECT_TRUE(finite(heard));
    EXPECT_EQ(firstDifference(heard, renderLv2(clean, expected)), -1);
}

/** What a retrieve function answers for each key: value bytes and type. */
struct StoredState
{
    std::map<LV2_URID, std::pair<std::vector<uint8_t>, LV2_URID>> values;

    static const void* retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type,
                                uint32_t* flags)
    {
        auto* self = static_cast<StoredState*>(handle);
        const auto found = self->values.find(key);
        if (found == self->values.end()) return nullptr;
        *size = found->second.first.size();
        *type = found->second.second;
        *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        return found->second.first.data();
    }
};

TEST_F(Lv2Plugin, StateRoundTripsThroughTheHost)
{
    // A sound set through the ports, saved as lilv saves it into a project and read back: a new
    // instance plays it, whether the host restores the port values too or leaves them.
    Lv2Test::Instance original(world, kSampleRate, 100);
    ASSERT_TRUE(original.valid());
    std::vector<float> ignored;
    original.controls[kVcfFreq] = 0.123f;
    original.controls[kGlide] = 3.0f;
    original.controls[kOctave] = 1.0f;
    original.controls[kNoise] = 0.4f;
    original.run(100, {}, ignored);

    LilvState* saved = original.saveState();
    ASSERT_NE(saved, nullptr);
    char* text = lilv_state_to_string(world.world, world.urids.mapFeature(),
                                      world.urids.unmapFeature(), saved, "urn:brask:test", nullptr);
    ASSERT_NE(text, nullptr);
    LilvState* loaded = lilv_state_new_from_string(world.world, world.urids.mapFeature(), text);
    lilv_free(text);
    ASSERT_NE(loaded, nullptr);

    for (bool portsFollow : {true, false})
    {
        SCOPED_TRACE(portsFollow ? "ports restored" : "ports left as they were");
        Lv2Test::Instance copy(world, kSampleRate, 100);
        ASSERT_TRUE(copy.valid());
        if (portsFollow)
            copy.restoreState(loaded);
        else
            lilv_state_restore(loaded, copy.instance, nullptr, nullptr, 0, nullptr);
        if (portsFollow)
        {
            EXPECT_EQ(copy.controls, original.controls);
        }
        EXPECT_EQ(savedState(copy), savedState(original));

        Lv2Test::Instance reference(world, kSampleRate, 100);
        reference.controls = original.controls;
        reference.run(100, {}, ignored);
        copy.run(100, {}, ignored);
        const std::vector<float> heard = renderLv2(copy, phrase());
        EXPECT_EQ(firstDifference(heard, renderLv2(reference, phrase())), -1);
    }
    lilv_state_free(loaded);
    lilv_state_free(saved);
}

TEST_F(Lv2Plugin, RefusesADamagedOrForeignStateAndKeepsItsSound)
{
    Lv2Test::Instance instance(world, kSampleRate, 100);
    ASSERT_TRUE(instance.valid());
    std::vector<float> ignored;
    instance.controls[kVcfFreq] = 0.3f;
    instance.run(100, {}, ignored);
    const std::vector<uint8_t> good = savedState(instance);
    ASSERT_EQ(good.size(), 200u);
    EXPECT_EQ(savedProgramName(instance), "Init"); // a new instance plays the Init sound

    const LV2_URID key = world.urids.map(kStateUri);
    const LV2_URID type = world.urids.map(kStateTypeUri);
    auto changed = [&](const std::function<void(std::vector<uint8_t>&)>& change) {
        std::vector<uint8_t> bytes = good;
        valueIn(bytes, 0); // the layout the changes assume
        change(bytes);
        return bytes;
    };
    auto setValue = [](std::vector<uint8_t>& bytes, uint32_t id, double value) {
        std::memcpy(bytes.data() + 4 + 8 * size_t{id}, &value, sizeof value);
    };
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        LV2_URID type;
        bool present;
        LV2_State_Status status;
    };
    const Case cases[] = {
        {"no state at all", {}, type, false, LV2_STATE_ERR_NO_PROPERTY},
        {"another type", good, world.urids.map(LV2_ATOM__String), true, LV2_STATE_ERR_BAD_TYPE},
        {"cut short", std::vector<uint8_t>(good.begin(), good.begin() + 100), type, true,
         LV2_STATE_ERR_UNKNOWN},
        {"one byte more", changed([](std::vector<uint8_t>& b) { b.push_back(0); }), type, true,
         LV2_STATE_ERR_UNKNOWN},
        {"another value count", changed([](std::vector<uint8_t>& b) { b[0] = 23; }), type, true,
         LV2_STATE_ERR_UNKNOWN},
        {"a value that is no number",
         changed([&](std::vector<uint8_t>& b) { setValue(b, 6, NAN); }), type, true,
         LV2_STATE_ERR_UNKNOWN},
        {"a value out of range", changed([&](std::vector<uint8_t>& b) { setValue(b, 6, 1.5); }),
         type, true, LV2_STATE_ERR_UNKNOWN},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        StoredState stored;
        if (c.present) stored.values[key] = {c.bytes, c.type};
        const std::string foreign = "Foreign";
        stored.values[world.urids.map("https://tarvik.audio/plugins/brask#programName")] = {
            std::vector<uint8_t>(foreign.c_str(), foreign.c_str() + foreign.size() + 1),
            world.urids.map(LV2_ATOM__String)};
        EXPECT_EQ(instance.state()->restore(instance.handle(), StoredState::retrieve, &stored, 0,
                                            nullptr),
                  c.status);
        EXPECT_EQ(savedState(instance), good);
        EXPECT_EQ(savedProgramName(instance), "Init");
    }
}

TEST_F(Lv2Plugin, FactoryPresetsLoadAndPlayTheBanksSounds)
{
    // Each preset as a host loads it (its port values and its state): the instance holds the
    // bank's values exactly and plays what the VST 3 path plays with them.
    LilvNode* presetClass = lilv_new_uri(world.world, LV2_PRESETS__Preset);
    LilvNodes* presets = lilv_plugin_get_related(world.plugin, presetClass);
    lilv_node_free(presetClass);
    ASSERT_EQ(lilv_nodes_size(presets), static_cast<unsigned>(FactoryPresets::count()));

    std::map<std::string, const FactoryPreset*> bank;
    for (int32_t i = 0; i < FactoryPresets::count(); ++i)
        bank[FactoryPresets::at(i)->name] = FactoryPresets::at(i);
    const std::vector<Step> notes = [] {
        std::vector<Step> steps = blocks(48, 100);
        steps[0].midi = {{0, {0x90, 48, 100}}, {0, {0x90, 55, 90}}};
        steps[30].midi = {{0, {0x80, 48, 0}}, {0, {0x80, 55, 0}}};
        return steps;
    }();

    LILV_FOREACH(nodes, i, presets)
    {
        const LilvNode* uri = lilv_nodes_get(presets, i);
        lilv_world_load_resource(world.world, uri);
        LilvNode* labelPredicate = lilv_new_uri(world.world, LILV_NS_RDFS "label");
        LilvNode* label = lilv_world_get(world.world, uri, labelPredicate, nullptr);
        lilv_node_free(labelPredicate);
        ASSERT_NE(label, nullptr) << lilv_node_as_uri(uri);
        const std::string name = lilv_node_as_string(label);
        lilv_node_free(label);
        SCOPED_TRACE(name);
        ASSERT_EQ(bank.count(name), 1u);
        const FactoryPreset& preset = *bank[name];

        LilvState* state = lilv_state_new_from_world(world.world, world.urids.mapFeature(), uri);
        ASSERT_NE(state, nullptr);
        Lv2Test::Instance instance(world, kSampleRate, 100);
        instance.restoreState(state);
        lilv_state_free(state);
        for (uint32_t p = 0; p < Lv2Test::kControlPorts; ++p)
        {
            const Lv2::ControlPort& port = *Lv2::controlPort(Lv2::kFirstControlPort + p);
            EXPECT_EQ(instance.controls[p], Lv2::toPortValue(port, preset.values[port.parameterId]))
                << port.symbol;
        }
        const std::vector<uint8_t> held = savedState(instance);
        ASSERT_EQ(held.size(), 200u);
        EXPECT_EQ(savedProgramName(instance), name);
        for (uint32_t id = 0; id < FactoryPreset::kValueCount; ++id)
            EXPECT_EQ(valueIn(held, id), preset.values[id]) << id;

        TestSupport::BuiltBundle reference;
        std::string error;
        ASSERT_TRUE(reference.open(error)) << error;
        ASSERT_TRUE(reference.instance->restoreProcessorState(held));
        ASSERT_TRUE(reference.instance->start(kSampleRate, 100, error)) << error;
        const std::vector<float> heard = renderLv2(instance, notes);
        const std::vector<float> expected = renderVst3(*reference.instance, notes, 100);
        EXPECT_GT(peak(expected), 0.01f);
        EXPECT_EQ(firstDifference(heard, expected), -1);
    }
    lilv_nodes_free(presets);
}

TEST_F(Lv2Plugin, RendersAMidiFileAsTheVst3BundleDoes)
{
    // The demo piece as a host plays a MIDI file: each message at its sample, blocks of 512,
    // and a tail. The two renders agree within 100 dB of signal to noise, here bit for bit.
    Render::MidiFile file;
    std::string error;
    ASSERT_TRUE(Render::MidiFile::read(BRASK_DEMO_MIDI, file, error)) << error;
    constexpr uint32_t kBlock = 512;
    const auto length =
        static_cast<uint64_t>(std::llround((file.lengthSeconds() + 2.0) * kSampleRate));
    std::vector<Step> steps = blocks(static_cast<uint32_t>((length + kBlock - 1) / kBlock), kBlock);
    for (const Render::MidiFile::Message& m : file.messages())
    {
        const auto at = static_cast<uint64_t>(std::llround(m.seconds * kSampleRate));
        if (at / kBlock >= steps.size()) continue;
        const uint8_t kind = m.status & 0xF0;
        std::vector<uint8_t> bytes{m.status, m.data1};
        if (kind != 0xC0 && kind != 0xD0) bytes.push_back(m.data2);
        steps[at / kBlock].midi.push_back({static_cast<uint32_t>(at % kBlock), bytes});
    }

    Lv2Test::Instance lv2(world, kSampleRate, kBlock);
    ASSERT_TRUE(lv2.valid());
    ASSERT_TRUE(vst3.instance->start(kSampleRate, kBlock, error)) << error;
    const std::vector<float> heard = renderLv2(lv2, steps);
    const std::vector<float> expected = renderVst3(*vst3.instance, steps, kBlock);
    ASSERT_EQ(heard.size(), expected.size());
    double signal = 0.0;
    double noise = 0.0;
    for (size_t i = 0; i < expected.size(); ++i)
    {
        signal += double(expected[i]) * expected[i];
        noise += (double(heard[i]) - expected[i]) * (double(heard[i]) - expected[i]);
    }
    ASSERT_GT(signal, 0.0);
    const double snr = noise > 0.0 ? 10.0 * std::log10(signal / noise) : INFINITY;
    RecordProperty("snr_db", std::to_string(snr));
    EXPECT_GE(snr, 100.0);
}

} // namespace
