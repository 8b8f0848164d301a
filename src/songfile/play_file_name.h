#pragma once

#include <filesystem>

namespace tamsel {

// The playback file before any song has been opened: relative, so it lands
// in the current folder when it is used.
inline constexpr const char* kInitialPlayFile = "tmsp.tmp";

// The playback file for a song: beside it, named after the song's file name
// cut at its last "." (a name without one keeps all of it), plus
// "_tamsel.tmp". Only the file name is cut, never a dotted folder.
[[nodiscard]] std::filesystem::path PlayFileFor(const std::filesystem::path& song);

// Where the playback file goes when it cannot be created beside the song:
// the same name in `folder`, tagged with the process id so that two running
// programs playing songs of the same name never share one file.
[[nodiscard]] std::filesystem::path FallbackPlayFile(const std::filesystem::path& playFile,
                                                     const std::filesystem::path& folder, long processId);

}  // namespace tamsel
