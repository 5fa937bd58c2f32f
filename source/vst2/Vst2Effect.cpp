// SPDX-License-Identifier: GPL-3.0-or-later
#include "Vst2Effect.h"
#include "StateChunk.h"
#include "Vst2EditorHost.h"

#include "FactoryPresets.h"

#include "HostOwned.h"
#include "Utf16.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

// What hosts reserve for each text opcode, terminator included. The header gives the program
// name 25 (kVstMaxProgNameLen) but its opcodes, and hosts, 24; parameter texts are documented
// as 8, and every host allows 24 (names such as "Filter Resonance" need more than 8).
constexpr size_t kProgramNameSize = 24;
constexpr size_t kParameterTextSize = 24;
constexpr size_t kEffectNameSize = 32;
constexpr size_t kVendorSize = 64;  // effGetVendorString
constexpr size_t kProductSize = 64; // effGetProductString
static_assert(kProgramNameSize < kVstMaxProgNameLen, "within the header's program name");
constexpr int kVst2Version = 2400;
constexpr int32 kMinBlockSize = 1;
constexpr int32 kMaxBlockSize = 1 << 16;

// Opcodes the header lists only as experimental.
constexpr int kStartProcessOpcode = effStartProcess;
constexpr int kStopProcessOpcode = effStopProcess;

/** The longest start of text that fits size - 1 bytes without cutting a UTF-8 sequence. */
std::string fitted(const std::string& text, size_t size)
{
    if (size == 0) return {};
    if (text.size() < size) return text;
    size_t length = size - 1;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    return text.substr(0, length);
}

void copyText(char* target, size_t size, const std::string& text)
{
    if (!target || size == 0) return;
    const std::string fitting = fitted(text, size);
    std::memcpy(target, fitting.data(), fitting.size());
    target[fitting.size()] = '\0';
}

/** "1.6.06.0811" gives 1606: major × 1000 + minor × 100 + patch, as VST 2 hosts show it. */
int32 versionNumber(const char* text)
{
    int parts[3] = {};
    int part = 0;
    for (const char* c = text; *c && part < 3; ++c)
    {
        if (*c == '.')
            ++part;
        else if (*c >= '0' && *c <= '9')
            parts[part] = parts[part] * 10 + (*c - '0');
    }
    return parts[0] * 1000 + parts[1] * 100 + parts[2];
}

VstIntPtr VSTCALLBACK dispatchThunk(AEffect* effect, int opcode, int index, VstIntPtr value,
                                    void* ptr, float opt)
{
    Vst2Effect* self = Vst2Effect::from(effect);
    if (!self) return 0;
    if (opcode == effClose)
    {
        delete self;
        return 1;
    }
    return self->dispatch(opcode, index, value, ptr, opt);
}

void VSTCALLBACK setParameterThunk(AEffect* effect, int index, float value)
{
    if (Vst2Effect* self = Vst2Effect::from(effect)) self->setParameter(index, value);
}

float VSTCALLBACK getParameterThunk(AEffect* effect, int index)
{
    const Vst2Effect* self = Vst2Effect::from(effect);
    return self ? self->getParameter(index) : 0.0f;
}

void VSTCALLBACK processReplacingThunk(AEffect* effect, float** inputs, float** outputs, int frames)
{
    if (Vst2Effect* self = Vst2Effect::from(effect))
        self->processReplacing(inputs, outputs, frames);
}

void VSTCALLBACK processAccumulatingThunk(AEffect* effect, float** inputs, float** outputs,
                                          int frames)
{
    if (Vst2Effect* self = Vst2Effect::from(effect))
        self->processAccumulating(inputs, outputs, frames);
}

} // namespace

// The controller's edits (from the editor) go to the host for recording and to the processor
// through the same queue as the host's own changes.
class Vst2Effect::ComponentHandler : public Hosting::HostOwned<IComponentHandler>
{
public:
    explicit ComponentHandler(Vst2Effect& owner) : owner(owner) {}

    tresult PLUGIN_API beginEdit(ParamID id) SMTG_OVERRIDE
    {
        return tell(audioMasterBeginEdit, id, 0.0f);
    }
    tresult PLUGIN_API performEdit(ParamID id, ParamValue value) SMTG_OVERRIDE
    {
        const int index = owner.indexOf(id);
        if (index < 0 || !std::isfinite(value)) return kInvalidArgument;
        value = std::min(1.0, std::max(0.0, value));
        owner.hostValues[static_cast<size_t>(index)].store(value);
        owner.parameterQueue->push(index, value);
        return tell(audioMasterAutomate, id, static_cast<float>(value));
    }
    tresult PLUGIN_API endEdit(ParamID id) SMTG_OVERRIDE
    {
        return tell(audioMasterEndEdit, id, 0.0f);
    }
    tresult PLUGIN_API restartComponent(int32 /*flags*/) SMTG_OVERRIDE
    {
        // VST 2 hosts read parameter values on demand; there is nothing to restart.
        return kResultOk;
    }

private:
    tresult tell(int opcode, ParamID id, float value)
    {
        const int index = owner.indexOf(id);
        if (index < 0) return kInvalidArgument;
        if (owner.host) owner.host(&owner.record, opcode, index, 0, nullptr, value);
        return kResultOk;
    }

    Vst2Effect& owner;
};

Vst2Effect* Vst2Effect::create(IPluginFactory* factory, const TUID processorClassId, int32 uniqueId,
                               audioMasterCallback host)
{
    if (!factory || !host) return nullptr;
    std::unique_ptr<Vst2Effect> effect(new Vst2Effect(host));
    if (!effect->build(factory, processorClassId)) return nullptr;
    effect->record.uniqueID = uniqueId;
    effect->record.version = effect->vendorVersion;
    return effect.release();
}

Vst2Effect* Vst2Effect::from(AEffect* effect)
{
    if (!effect || effect->magic != kEffectMagic) return nullptr;
    return static_cast<Vst2Effect*>(effect->object);
}

Vst2Effect::Vst2Effect(audioMasterCallback host)
    : host(host), componentHandler(new ComponentHandler(*this))
{
    record.magic = kEffectMagic;
    record.object = this;
    record.dispatcher = dispatchThunk;
    record.setParameter = setParameterThunk;
    record.getParameter = getParameterThunk;
    record.process = processAccumulatingThunk;
    record.processReplacing = processReplacingThunk;
    record.numInputs = 0;
    record.numOutputs = 2;
}

bool Vst2Effect::build(IPluginFactory* pluginFactory, const TUID processorClassId)
{
    factory = pluginFactory;
    factory->addRef();
    std::string error; // a VST 2 host learns only that there is no instance
    instance =
        Hosting::PluginInstance::create(factory, processorClassId, componentHandler.get(), error);
    if (!instance) return false;
    controller = instance->controller();
    midi.readMapping(instance->midiMapping());

    const int32 count = controller->getParameterCount();
    for (int32 i = 0; i < count; ++i)
    {
        ParameterInfo info{};
        if (controller->getParameterInfo(i, info) != kResultOk) continue;
        parameterIds.push_back(info.id);
        automatable.push_back((info.flags & ParameterInfo::kCanAutomate) != 0);
    }
    record.numParams = parameterCount();
    parameterQueue.reset(new ParameterQueue(parameterCount()));
    blockInput.reserveParameters(parameterCount());
    hostValues.reset(new std::atomic<ParamValue>[parameterIds.size()]);
    controllerBehind.reset(new std::atomic<bool>[parameterIds.size()]);
    readHostValues();

    if (!instance->setUpBuses(error)) return false;

    readIdentity();
    // The factory bank; a new instance plays its first program.
    for (int32 i = 0; i < FactoryPresets::count(); ++i)
        programNames.emplace_back(fitted(FactoryPresets::at(i)->name, kProgramNameSize));
    if (programNames.empty()) programNames.emplace_back("Init");
    record.numPrograms = static_cast<int32>(programNames.size());
    for (uint32 id = 0; id < static_cast<uint32>(FactoryPreset::kValueCount); ++id)
        programValueIndexes.push_back(indexOf(id));
    midi.setListener(this);
    editor.reset(new Vst2EditorHost(host, &record));
    record.flags = effFlagsCanReplacing | effFlagsProgramChunks;
    if (isInstrument) record.flags |= effFlagsIsSynth;
    if (hasEditor()) record.flags |= effFlagsHasEditor;
    return true;
}

bool Vst2Effect::hasEditor()
{
    // Whether the controller class offers a view does not change while the module is loaded:
    // the first instance asks, so that scanning hosts do not build a view per instance.
    static std::atomic<int> known{-1};
    int answer = known.load();
    if (answer < 0)
    {
        answer = editor->available(controller) ? 1 : 0;
        known.store(answer);
    }
    return answer == 1;
}

void Vst2Effect::readIdentity()
{
    PFactoryInfo factoryInfo{};
    if (factory->getFactoryInfo(&factoryInfo) == kResultOk) vendorName = factoryInfo.vendor;
    const PClassInfo2& info = instance->processorClass();
    effectName = info.name;
    if (info.vendor[0]) vendorName = info.vendor;
    vendorVersion = versionNumber(info.version);
    isInstrument = std::strstr(info.subCategories, "Instrument") != nullptr;
}

Vst2Effect::~Vst2Effect()
{
    editor.reset();   // the view holds the controller
    instance.reset(); // before the factory of its module
    if (factory) factory->release();
}

VstIntPtr Vst2Effect::dispatch(int opcode, int index, VstIntPtr value, void* ptr, float opt)
{
    switch (opcode)
    {
    case effOpen:
        return 0;
    case effSetProgram:
        takeProgramChange();
        // The current program chosen again keeps its edits: hosts that restore a project may
        // choose the saved program after the chunk.
        if (value >= 0 && value < record.numPrograms && value != currentProgram)
            loadProgram(static_cast<int32>(value));
        return 0;
    case effGetProgram:
        takeProgramChange();
        return currentProgram;
    case effSetProgramName:
        takeProgramChange();
        if (!ptr) return 0;
        programNames[static_cast<size_t>(currentProgram)] =
            fitted(std::string(static_cast<const char*>(ptr),
                               strnlen(static_cast<const char*>(ptr), kProgramNameSize)),
                   kProgramNameSize);
        return 0;
    case effGetProgramName:
        takeProgramChange();
        copyText(static_cast<char*>(ptr), kProgramNameSize,
                 programNames[static_cast<size_t>(currentProgram)]);
        return 0;
    case effGetProgramNameIndexed:
        takeProgramChange();
        if (!ptr || index < 0 || index >= record.numPrograms) return 0;
        copyText(static_cast<char*>(ptr), kProgramNameSize,
                 programNames[static_cast<size_t>(index)]);
        return 1;
    case effGetParamLabel:
    case effGetParamName:
    {
        if (!ptr || index < 0 || index >= parameterCount()) return 0;
        ParameterInfo info{};
        if (controller->getParameterInfo(index, info) != kResultOk) return 0;
        copyText(static_cast<char*>(ptr), kParameterTextSize,
                 Hosting::toUtf8(opcode == effGetParamName ? info.title : info.units));
        return 1;
    }
    case effGetParamDisplay:
        return parameterText(index, static_cast<char*>(ptr)) ? 1 : 0;
    case effString2Parameter:
        return parameterFromText(index, static_cast<const char*>(ptr)) ? 1 : 0;
    case effCanBeAutomated:
        return index >= 0 && index < parameterCount() && automatable[static_cast<size_t>(index)];
    case effSetSampleRate:
        if (!(opt > 0.0f) || !std::isfinite(opt)) return 0;
        return changeSetup(opt, maxBlockSize) ? 1 : 0;
    case effSetBlockSize:
        if (value < kMinBlockSize || value > kMaxBlockSize) return 0;
        return changeSetup(sampleRate, static_cast<int32>(value)) ? 1 : 0;
    case effMainsChanged:
        if (value) return resume() ? 1 : 0;
        suspend();
        return 1;
    case kStartProcessOpcode:
    case kStopProcessOpcode:
        return 0; // processing follows effMainsChanged
    case effEditGetRect:
        return editor->getRect(controller, static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
        takeProgramChange();
        updateController();
        return editor->open(controller, ptr) ? 1 : 0;
    case effEditClose:
        editor->close();
        return 1;
    case effEditIdle:
        takeProgramChange();
        updateController();
        editor->idle();
        return 0;
    case effGetChunk:
        takeProgramChange();
        return saveChunk(static_cast<void**>(ptr));
    case effSetChunk:
        takeProgramChange();
        return restoreChunk(ptr, value) ? 1 : 0;
    case effProcessEvents:
        processEvents(static_cast<const VstEvents*>(ptr));
        return 1;
    case effGetPlugCategory:
        return isInstrument ? kPlugCategSynth : kPlugCategEffect;
    case effGetEffectName:
        copyText(static_cast<char*>(ptr), kEffectNameSize, effectName);
        return ptr ? 1 : 0;
    case effGetProductString:
        copyText(static_cast<char*>(ptr), kProductSize, effectName);
        return ptr ? 1 : 0;
    case effGetVendorString:
        copyText(static_cast<char*>(ptr), kVendorSize, vendorName);
        return ptr ? 1 : 0;
    case effGetVendorVersion:
        return vendorVersion;
    case effCanDo:
        return canDo(static_cast<const char*>(ptr)) ? 1 : 0;
    case effGetVstVersion:
        return kVst2Version;
    case effSetProcessPrecision:
        return value == kVstProcessPrecision32 ? 1 : 0;
    default:
        return 0; // not supported: the host gets the neutral answer
    }
}

bool Vst2Effect::canDo(const char* feature) const
{
    if (!feature) return false;
    static const char* const supported[] = {"receiveVstEvents", "receiveVstMidiEvent"};
    for (const char* name : supported)
    {
        if (std::strcmp(feature, name) == 0) return true;
    }
    return false;
}

int Vst2Effect::indexOf(ParamID id) const
{
    const auto found = std::find(parameterIds.begin(), parameterIds.end(), id);
    return found == parameterIds.end() ? -1 : static_cast<int>(found - parameterIds.begin());
}

void Vst2Effect::applyParameter(int index, ParamValue value)
{
    // The controller (and its editor) belong to the UI thread, and this may be the audio
    // thread: the controller follows in updateController().
    hostValues[static_cast<size_t>(index)].store(value);
    parameterQueue->push(index, value);
    controllerBehind[static_cast<size_t>(index)].store(true);
    anyControllerBehind.store(true);
}

void Vst2Effect::updateController()
{
    if (!anyControllerBehind.exchange(false)) return;
    for (size_t i = 0; i < parameterIds.size(); ++i)
    {
        if (controllerBehind[i].exchange(false))
            controller->setParamNormalized(parameterIds[i], hostValues[i].load());
    }
}

void Vst2Effect::readHostValues()
{
    anyControllerBehind.store(false);
    for (size_t i = 0; i < parameterIds.size(); ++i)
    {
        controllerBehind[i].store(false);
        hostValues[i].store(controller->getParamNormalized(parameterIds[i]));
    }
}

void Vst2Effect::setParameter(int index, float value)
{
    if (index < 0 || index >= parameterCount() || !std::isfinite(value)) return;
    applyParameter(index, std::min(1.0, std::max(0.0, static_cast<double>(value))));
}

float Vst2Effect::getParameter(int index) const
{
    if (index < 0 || index >= parameterCount()) return 0.0f;
    return static_cast<float>(hostValues[static_cast<size_t>(index)].load());
}

bool Vst2Effect::parameterText(int index, char* text) const
{
    if (!text || index < 0 || index >= parameterCount()) return false;
    const ParamID id = parameterIds[static_cast<size_t>(index)];
    String128 display = {};
    if (controller->getParamStringByValue(id, hostValues[static_cast<size_t>(index)].load(),
                                          display) != kResultOk)
        return false;
    copyText(text, kParameterTextSize, Hosting::toUtf8(display));
    return true;
}

bool Vst2Effect::parameterFromText(int index, const char* text)
{
    if (index < 0 || index >= parameterCount()) return false;
    if (!text) return true; // the host only asks whether the parameter takes text
    String128 wide = {};
    Hosting::toString128(text, wide);
    const ParamID id = parameterIds[static_cast<size_t>(index)];
    ParamValue value = 0.0;
    if (controller->getParamValueByString(id, wide, value) != kResultOk || !std::isfinite(value))
        return false;
    applyParameter(index, std::min(1.0, std::max(0.0, value)));
    return true;
}

bool Vst2Effect::changeSetup(double rate, int32 maxBlock)
{
    // The processor is asked at once, so that a setup it refuses changes nothing: the old one
    // is set up again and playing goes on.
    const bool wasActive = instance->isActive();
    suspend();
    const double oldRate = sampleRate;
    const int32 oldMaxBlock = maxBlockSize;
    sampleRate = rate;
    maxBlockSize = maxBlock;
    const bool accepted = setUpProcessing();
    if (!accepted)
    {
        sampleRate = oldRate;
        maxBlockSize = oldMaxBlock;
        setUpProcessing();
    }
    if (wasActive) resume();
    return accepted;
}

bool Vst2Effect::setUpProcessing()
{
    if (!instance->setUpProcessing(sampleRate, maxBlockSize, kRealtime)) return false;
    for (std::vector<float>& channel : scratch)
        channel.assign(static_cast<size_t>(maxBlockSize), 0.0f);
    pieceSize = maxBlockSize;
    return true;
}

bool Vst2Effect::resume()
{
    if (instance->isActive()) return true;
    return setUpProcessing() && instance->activate();
}

void Vst2Effect::suspend()
{
    instance->deactivate();
}

VstIntPtr Vst2Effect::saveChunk(void** data)
{
    if (!data) return 0;
    StateChunk chunk;
    if (!instance->processorState(chunk.processorState)) return 0;
    // Moves the processor has not rendered yet (the host may save while suspended) are part of
    // the sound: the saved values are the host's latest.
    for (uint32 id = 0; id < processorValueCount(chunk.processorState); ++id)
    {
        const int index = indexOf(id);
        if (index >= 0)
            setProcessorValue(chunk.processorState, id, hostValues[static_cast<size_t>(index)]);
    }
    instance->controllerState(chunk.controllerState);
    chunk.programName = programNames[static_cast<size_t>(currentProgram)];
    savedChunk = chunk.write();
    *data = savedChunk.data();
    return static_cast<VstIntPtr>(savedChunk.size());
}

bool Vst2Effect::restoreChunk(const void* data, VstIntPtr size)
{
    if (!data || size <= 0) return false;
    StateChunk chunk;
    if (!chunk.read(data, static_cast<size_t>(size))) return false;
    std::vector<uint8_t> current;
    if (!instance->processorState(current) ||
        !plausibleProcessorState(chunk.processorState, current))
        return false;

    loadSound(chunk.processorState);
    if (!chunk.controllerState.empty()) instance->restoreControllerState(chunk.controllerState);
    // The chunk names the program it was saved from: a program of that name becomes the current
    // one, else the current one takes the name.
    const std::string name = fitted(chunk.programName, kProgramNameSize);
    const auto named = std::find(programNames.begin(), programNames.end(), name);
    if (named != programNames.end())
        currentProgram = static_cast<int32>(named - programNames.begin());
    else
        programNames[static_cast<size_t>(currentProgram)] = name;
    return true;
}

void Vst2Effect::loadSound(const std::vector<uint8_t>& state)
{
    instance->restoreProcessorState(state);

    // Moves still waiting in the queue would land after the loaded values; the loaded values
    // replace them so that the last word is the state's.
    const uint32_t count = processorValueCount(state);
    for (uint32_t id = 0; id < count; ++id)
    {
        const int index = indexOf(id);
        if (index >= 0) parameterQueue->push(index, controller->getParamNormalized(id));
    }
    readHostValues();
}

void Vst2Effect::loadProgram(int32 index)
{
    const FactoryPreset* preset = FactoryPresets::at(index);
    std::vector<uint8_t> state;
    if (!preset || !instance->processorState(state)) return;
    const uint32_t count =
        std::min<uint32_t>(processorValueCount(state), FactoryPreset::kValueCount);
    for (uint32_t id = 0; id < count; ++id)
        setProcessorValue(state, id, preset->values[id]);
    loadSound(state);
    currentProgram = index;
}

void Vst2Effect::takeProgramChange()
{
    const int32 program = pendingProgram.exchange(-1);
    if (program >= 0 && program < record.numPrograms) currentProgram = program;
}

void Vst2Effect::programChange(int program)
{
    const FactoryPreset* preset = FactoryPresets::at(program);
    if (!preset) return;
    for (size_t id = 0; id < programValueIndexes.size(); ++id)
    {
        if (programValueIndexes[id] >= 0)
            applyParameter(programValueIndexes[id], preset->values[id]);
    }
    pendingProgram.store(program);
}

void Vst2Effect::processEvents(const VstEvents* events)
{
    // Null or malformed lists are skipped, and so are events other than MIDI messages.
    if (!events || events->numEvents <= 0) return;
    for (int i = 0; i < events->numEvents; ++i)
    {
        const VstEvent* event = events->events[i];
        if (!event || event->type != kVstMidiType) continue;
        const auto* message = reinterpret_cast<const VstMidiEvent*>(event);
        midi.translate(message->deltaFrames, message->midiData, blockInput);
    }
}

void Vst2Effect::silence(float** outputs, int frames)
{
    for (int channel = 0; channel < record.numOutputs; ++channel)
    {
        if (outputs[channel]) std::fill(outputs[channel], outputs[channel] + frames, 0.0f);
    }
}

void Vst2Effect::processReplacing(float** /*inputs*/, float** outputs, int frames)
{
    render(outputs, frames, false);
}

void Vst2Effect::processAccumulating(float** /*inputs*/, float** outputs, int frames)
{
    render(outputs, frames, true);
}

void Vst2Effect::render(float** outputs, int frames, bool accumulate)
{
    if (!outputs || frames <= 0)
    {
        blockInput.clear();
        return;
    }
    if (!outputs[0] || !outputs[1] || !instance->isActive())
    {
        if (!accumulate) silence(outputs, frames);
        blockInput.clear();
        return;
    }

    // The host's parameter changes since the last block, ahead of this block's MIDI.
    int32 index = 0;
    ParamValue value = 0.0;
    while (parameterQueue->pop(index, value))
        blockInput.addHostChange(parameterIds[static_cast<size_t>(index)], value);

    // Blocks larger than the set-up maximum are rendered in pieces, and so are blocks with more
    // note events than one process call takes; each piece gets its own events and changes.
    blockInput.renderPieces(
        frames, pieceSize, pieceEvents, pieceChanges, [&](int32 start, int32 length) {
            float* channels[2] = {outputs[0] + start, outputs[1] + start};
            if (accumulate)
            {
                channels[0] = scratch[0].data();
                channels[1] = scratch[1].data();
            }
            instance->processStereo(channels[0], channels[1], length, &pieceChanges, &pieceEvents);

            if (accumulate)
            {
                for (int channel = 0; channel < 2; ++channel)
                {
                    float* out = outputs[channel] + start;
                    for (int32 i = 0; i < length; ++i)
                        out[i] += channels[channel][i];
                }
            }
            return true;
        });
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
