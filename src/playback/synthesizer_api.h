#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace tamsel {

// One entry of the port enumeration: what the user reads, and the key the
// synthesizer needs to create that port again.
struct PortCaps {
    std::u16string description;
    std::string id;
};

// A port created by the synthesizer; only that synthesizer looks inside.
class SynthPort {
public:
    virtual ~SynthPort() = default;
};

// A song loaded for playing; only that synthesizer looks inside.
class SynthSegment {
public:
    virtual ~SynthSegment() = default;
};

// The synthesizer stack as the playback engine sees it. Every call comes from
// one thread; the stack may play on threads of its own. Objects it hands out
// are owned by the caller and go back through ReleasePort and GiveBack.
class SynthesizerApi {
public:
    virtual ~SynthesizerApi() = default;

    // Starts the stack (the performance). False when it cannot be used.
    virtual bool Open() = 0;
    // Port `index` of the enumeration, or nothing past the last port (or when
    // the enumeration fails there).
    virtual std::optional<PortCaps> EnumPort(int index) = 0;
    // Creates the port described by `caps`; null when it cannot be made.
    virtual std::unique_ptr<SynthPort> CreatePort(const PortCaps& caps) = 0;
    // True when the port is ready to sound.
    virtual bool Activate(SynthPort& port) = 0;
    // The performance sends to `port` from now on, channels 1 to 16.
    virtual void AddPort(SynthPort& port) = 0;
    // The performance stops sending to `port`, silencing what it left sounding.
    virtual void RemovePort(SynthPort& port) = 0;
    virtual void ReleasePort(std::unique_ptr<SynthPort> port) = 0;
    // Loads a Standard MIDI File as a segment; null when it cannot be loaded.
    virtual std::unique_ptr<SynthSegment> LoadSegment(const std::filesystem::path& file) = 0;
    // Starts the segment from its beginning; returns at once.
    virtual void Play(SynthSegment& segment) = 0;
    [[nodiscard]] virtual bool IsPlaying(const SynthSegment& segment) = 0;
    // Stops the segment at once, leaving no note sounding.
    virtual void Stop(SynthSegment& segment) = 0;
    // Unloads and releases a segment, playing or not.
    virtual void GiveBack(std::unique_ptr<SynthSegment> segment) = 0;
    // Stops everything the performance plays and frees its resources.
    virtual void CloseDown() = 0;
};

}  // namespace tamsel
