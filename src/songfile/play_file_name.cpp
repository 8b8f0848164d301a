#include "songfile/play_file_name.h"

#include <string>

namespace tamsel {

namespace {
constexpr const char* kSuffix = "_tamsel";
constexpr const char* kExtension = ".tmp";
}  // namespace

std::filesystem::path PlayFileFor(const std::filesystem::path& song)
{
    // Work on the native byte string: filename() and stem() treat a name
    // such as ".pmr" as having no extension, but the rule cuts at any dot.
    std::string name = song.filename().native();
    if (const auto dot = name.rfind('.'); dot != std::string::npos) name.erase(dot);
    return song.parent_path() / (name + kSuffix + kExtension);
}

std::filesystem::path FallbackPlayFile(const std::filesystem::path& playFile, const std::filesystem::path& folder,
                                       long processId)
{
    std::string name = playFile.filename().native();
    const std::string extension = kExtension;
    if (name.size() >= extension.size() && name.ends_with(extension)) name.erase(name.size() - extension.size());
    return folder / (name + "-" + std::to_string(processId) + extension);
}

}  // namespace tamsel
