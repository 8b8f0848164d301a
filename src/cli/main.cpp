#include <cstdio>
#include <string_view>
#include <vector>

#include "cli/commands.h"

namespace {

constexpr const char* kUsage =
    "usage: tamsel-cli COMMAND [ARGS]\n"
    "\n"
    "commands:\n"
    "  convert IN [-o OUT]      convert a Pellomar file or SMF to a Standard MIDI File\n"
    "  info FILE                show a song's header, tracks and texts\n"
    "  ports                    list the sound sources (the default marked)\n"
    "  play FILE [--port N]     play a song to its end (Ctrl-C stops)\n";

}  // namespace

int main(int argc, char** argv)
{
    using namespace tamsel::cli;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "-h" || args[0] == "--help") {
        std::fputs(kUsage, args.empty() ? stderr : stdout);
        return args.empty() ? kExitUsage : kExitOk;
    }
    const std::span<const std::string_view> rest(args.begin() + 1, args.end());
    if (args[0] == "convert") return RunConvert(rest);
    if (args[0] == "info") return RunInfo(rest);
    if (args[0] == "ports") return RunPorts(rest);
    if (args[0] == "play") return RunPlay(rest);
    std::fprintf(stderr, "tamsel-cli: unknown command '%.*s'\n\n%s", static_cast<int>(args[0].size()), args[0].data(), kUsage);
    return kExitUsage;
}
