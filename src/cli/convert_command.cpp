#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>

#include "cli/commands.h"
#include "cli/load_song.h"
#include "io/file.h"
#include "songfile/song_file.h"

namespace tamsel::cli {

namespace {

constexpr const char* kConvertUsage = "usage: tamsel-cli convert IN [-o OUT]\n";

int Usage(const char* problem)
{
    std::fprintf(stderr, "tamsel-cli convert: %s\n%s", problem, kConvertUsage);
    return kExitUsage;
}

}  // namespace

int RunConvert(std::span<const std::string_view> args)
{
    std::optional<std::string> input;
    std::optional<std::string> output;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (i + 1 == args.size()) return Usage("-o needs a file name");
            if (output) return Usage("-o given twice");
            output = std::string(args[++i]);
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            return Usage(("unknown option " + std::string(args[i])).c_str());
        } else if (input) {
            return Usage("more than one input file");
        } else {
            input = std::string(args[i]);
        }
    }
    if (!input) return Usage("no input file");
    const std::filesystem::path inPath(*input);
    const std::filesystem::path outPath = output ? std::filesystem::path(*output) : std::filesystem::path(inPath).replace_extension(".mid");

    std::optional<LoadedSong> loaded = LoadSong(inPath, "; nothing written");
    if (!loaded) return kExitNothingWritten;
    try {
        SaveStandardMidiFile(loaded->song, outPath);
    } catch (const FileError& error) {
        std::fprintf(stderr, "tamsel-cli: %s; nothing written\n", error.what());
        return kExitNothingWritten;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tamsel-cli: cannot write %s: %s; nothing written\n", outPath.c_str(), error.what());
        return kExitNothingWritten;
    }
    return loaded->hadFaults ? kExitWrittenWithFaults : kExitOk;
}

}  // namespace tamsel::cli
