#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "model/midi.h"
#include "songfile/song_file.h"

namespace tamsel::cli {

struct LoadedSong {
    CMidi song{1, 480};
    SongTexts texts;
    SongKind kind = SongKind::Neither;
    bool hadFaults = false;
};

// Opens `input` as the window's Open command does, printing its read faults
// as warnings. When there is no song to use (unreadable, or of neither kind)
// it says why, ending the line with `consequence` (e.g. "; nothing written"),
// and returns nothing.
[[nodiscard]] std::optional<LoadedSong> LoadSong(const std::filesystem::path& input, std::string_view consequence = {});

}  // namespace tamsel::cli
