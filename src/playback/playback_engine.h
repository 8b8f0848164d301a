#pragma once

// DRAFT contract for the playback engine; the playback work may refine it,
// keeping these operations.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/midi.h"
#include "playback/messages.h"

namespace tamsel {

class SynthesizerApi;  // the small interface that stands for the synthesizer stack

class PlaybackEngine {
public:
    PlaybackEngine(SynthesizerApi& api, MessageSink& messages);
    ~PlaybackEngine();  // runs the teardown if it has not run

    // Enumerates the ports, picks the default one and attaches it.
    void SetUp();
    // Stop, write `song` to `playFile`, load it as a segment and start it.
    void OnPlay(const CMidi& song, const std::filesystem::path& playFile);
    // Stops a playing segment, gives it back and deletes `playFile`.
    void OnStop(const std::filesystem::path& playFile);
    void TearDown(const std::filesystem::path& playFile);

    [[nodiscard]] bool IsPlaying() const;
    // The port table's descriptions (UTF-16, at most 10) and the port in use.
    [[nodiscard]] std::vector<std::u16string> PortDescriptions() const;
    [[nodiscard]] int PortIndex() const;
    // Moves playback to port `index` when it differs from the one in use;
    // an index outside the table is ignored.
    void SwitchPort(int index);
};

}  // namespace tamsel
