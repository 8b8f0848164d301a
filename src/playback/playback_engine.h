#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/midi.h"
#include "playback/messages.h"
#include "playback/synthesizer_api.h"

namespace tamsel {

enum class PlaybackState {
    NotSetUp,
    Ready,     // no segment held, no playback file left by a Play
    Playing,   // segment held and playing
    Finished,  // segment held, played to its end
    Closed,    // after the teardown
};

// Plays songs through one port of a synthesizer stack, by way of a playback
// file on disk. All calls come from one thread. Operations that delete the
// playback file throw FileError when it exists but cannot be deleted; Play
// throws FileError when writing the song fails part way.
class PlaybackEngine {
public:
    static constexpr int kMaxPorts = 10;
    static constexpr std::size_t kMaxDescriptionLength = 128;

    PlaybackEngine(SynthesizerApi& api, MessageSink& messages);
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;
    ~PlaybackEngine();  // runs the teardown if it has not run, without the file

    // Starts the stack, enumerates the ports, picks the default one and attaches it.
    void SetUp();
    // Stop, write `song` to `playFile`, load it as a segment and start it.
    void OnPlay(const CMidi& song, const std::filesystem::path& playFile);
    // Stops a playing segment, gives it back and deletes `playFile`.
    void OnStop(const std::filesystem::path& playFile);
    // Deletes `playFile` and gives every resource back. The resources go back
    // even when the deletion fails; its FileError is thrown afterwards.
    void TearDown(const std::filesystem::path& playFile);

    [[nodiscard]] bool IsPlaying() const;
    [[nodiscard]] PlaybackState State() const;
    // The port table's descriptions (UTF-16, at most 10) and the port in use.
    [[nodiscard]] std::vector<std::u16string> PortDescriptions() const;
    [[nodiscard]] int PortIndex() const noexcept { return m_PortIndex; }
    // Moves playback to port `index` when it differs from the one in use;
    // an index outside the table is ignored. Meant for the Ready state: the
    // caller runs the stop operation first.
    void SwitchPort(int index);

private:
    void AttachPort();
    void DetachPort();
    void GiveBackSegment();

    SynthesizerApi& m_Api;
    MessageSink& m_Messages;
    bool m_SetUp = false;
    bool m_Open = false;
    bool m_Closed = false;
    std::vector<PortCaps> m_PortCaps;
    int m_PortIndex = 0;
    std::unique_ptr<SynthPort> m_pPort;
    std::unique_ptr<SynthSegment> m_pSegment;
};

}  // namespace tamsel
