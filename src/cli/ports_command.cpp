#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "playback/playback_engine.h"
#include "playback/system_synthesizer.h"
#include "text/unicode.h"

namespace tamsel::cli {

namespace {

struct PrintedMessages final : MessageSink {
    void Warn(std::string_view text) override
    {
        std::fprintf(stderr, "tamsel-cli: %.*s\n", static_cast<int>(text.size()), text.data());
    }
};

}  // namespace

int RunPorts(std::span<const std::string_view> args)
{
    if (!args.empty()) {
        std::fputs("usage: tamsel-cli ports\n", stderr);
        return kExitUsage;
    }
    QuietSynthesizerLibraries();
    const auto synthesizer = MakeSystemSynthesizer();
    PrintedMessages messages;
    PlaybackEngine engine(*synthesizer, messages);
    engine.SetUp();
    const auto descriptions = engine.PortDescriptions();
    for (std::size_t i = 0; i < descriptions.size(); ++i) {
        const bool inUse = static_cast<int>(i) == engine.PortIndex();
        std::printf("%c %zu  %s%s\n", inUse ? '*' : ' ', i, Utf16ToUtf8(descriptions[i]).c_str(), inUse ? "  (default)" : "");
    }
    return descriptions.empty() ? kExitNothingWritten : kExitOk;
}

}  // namespace tamsel::cli
