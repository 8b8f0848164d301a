#pragma once

#include <span>
#include <string_view>

namespace tamsel::cli {

// Exit statuses of tamsel-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNothingWritten = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitWrittenWithFaults = 3;

// Each command takes the arguments after its name and returns the exit status.
int RunConvert(std::span<const std::string_view> args);
int RunInfo(std::span<const std::string_view> args);
int RunPorts(std::span<const std::string_view> args);
int RunPlay(std::span<const std::string_view> args);

}  // namespace tamsel::cli
