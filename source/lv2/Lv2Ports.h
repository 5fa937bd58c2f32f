// SPDX-License-Identifier: GPL-3.0-or-later
// The LV2 face of the instrument: its URIs and its ports. Port indexes and symbols are what LV2
// hosts keep in their sessions and presets, so they never change; the bundle's description is
// written from this table, and run() and the UI map port values with it.
//
// Most control ports carry the parameter's normalized value (0..1). "Glide" carries the entry
// index 0..5 and "Octave" the octave -2..2, as whole numbers; both map onto the normalized values
// the controller gives those texts (index / 5, (octave + 2) / 4).
#pragma once

#include <cstdint>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Lv2 {

constexpr const char* kPluginUri = "https://tarvik.audio/plugins/brask";
constexpr const char* kUiUri = "https://tarvik.audio/plugins/brask#ui";
/** The property that holds the processor's state stream, and the type of its value. */
constexpr const char* kStateUri = "https://tarvik.audio/plugins/brask#state";
constexpr const char* kStateTypeUri = "https://tarvik.audio/plugins/brask#ProcessorState";
/** The property that holds the name of the preset the sound came from (atom:String). */
constexpr const char* kProgramNameUri = "https://tarvik.audio/plugins/brask#programName";
constexpr const char* kPresetUriBase = "https://tarvik.audio/plugins/brask/presets#";
constexpr const char* kBankUriBase = "https://tarvik.audio/plugins/brask/banks#";

constexpr uint32_t kMidiInPort = 0;
constexpr uint32_t kLeftOutPort = 1;
constexpr uint32_t kRightOutPort = 2;
constexpr uint32_t kFirstControlPort = 3;
constexpr uint32_t kControlPortCount = 24;
constexpr uint32_t kPortCount = kFirstControlPort + kControlPortCount;

struct ControlPort
{
    enum Kind
    {
        kNormalized, ///< the value as it is, 0..1
        kListIndex,  ///< an entry index 0 .. steps
        kOctave,     ///< whole octaves -2..2
    };

    uint32_t parameterId;
    const char* symbol;
    const char* name;
    Kind kind;
};

/** The control port at `index` - kFirstControlPort; null outside. */
const ControlPort* controlPort(uint32_t portIndex);

/** The texts of Glide's entries, by index. */
constexpr int kGlideSteps = 5;
extern const char* const kGlideEntries[kGlideSteps + 1];

float portMinimum(const ControlPort& port);
float portMaximum(const ControlPort& port);
/** The port value that stands for a normalized value (whole numbers for the stepped kinds). */
float toPortValue(const ControlPort& port, double normalized);
/** The normalized value of a port value, clamped to the port's range; NaN gives the port's
    minimum. */
double toNormalized(const ControlPort& port, float value);

} // namespace Lv2
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
