#include <cstdio>

#include "cli/commands.h"

namespace tamsel::cli {

// Placeholder until the command is written.
int RunInfo(std::span<const std::string_view>)
{
    std::fputs("tamsel-cli: 'info' is not available yet\n", stderr);
    return kExitUsage;
}

}  // namespace tamsel::cli
