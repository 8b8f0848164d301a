#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>

#include "cli/commands.h"
#include "cli/load_song.h"
#include "io/file.h"
#include "playback/playback_engine.h"
#include "playback/system_synthesizer.h"
#include "playback/timed_song.h"
#include "songfile/play_file_name.h"
#include "songfile/song_file.h"

namespace tamsel::cli {

namespace {

constexpr const char* kPlayUsage = "usage: tamsel-cli play FILE [--port N]\n";

struct PrintedMessages final : MessageSink {
    void Warn(std::string_view text) override
    {
        std::fprintf(stderr, "\ntamsel-cli: %.*s\n", static_cast<int>(text.size()), text.data());
        ++count;
    }
    int count = 0;
};

std::string Clock(std::chrono::nanoseconds time)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(time).count();
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60));
    return text;
}

// Ctrl-C and termination are taken as messages, not as interruptions: they
// are blocked in every thread and read by the waiting loop.
class StopSignals {
public:
    StopSignals()
    {
        sigemptyset(&m_Set);
        sigaddset(&m_Set, SIGINT);
        sigaddset(&m_Set, SIGTERM);
        sigaddset(&m_Set, SIGHUP);
        pthread_sigmask(SIG_BLOCK, &m_Set, &m_Previous);
    }
    ~StopSignals() { pthread_sigmask(SIG_SETMASK, &m_Previous, nullptr); }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Waits up to `timeout`; true when a stop signal came.
    bool Wait(std::chrono::milliseconds timeout)
    {
        const timespec wait{0, static_cast<long>(std::chrono::nanoseconds(timeout).count())};
        return sigtimedwait(&m_Set, nullptr, &wait) > 0;
    }

private:
    sigset_t m_Set{};
    sigset_t m_Previous{};
};

struct PlayArguments {
    std::string file;
    std::optional<int> port;
};

std::optional<PlayArguments> ParseArguments(std::span<const std::string_view> args)
{
    PlayArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port") {
            if (i + 1 >= args.size() || parsed.port) return std::nullopt;
            const std::string_view value = args[++i];
            int port = -1;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), port);
            if (error != std::errc() || end != value.data() + value.size() || port < 0) return std::nullopt;
            parsed.port = port;
        } else if (parsed.file.empty() && !(args[i].size() > 1 && args[i][0] == '-')) {
            parsed.file = std::string(args[i]);
        } else {
            return std::nullopt;
        }
    }
    if (parsed.file.empty()) return std::nullopt;
    return parsed;
}

}  // namespace

int RunPlay(std::span<const std::string_view> args)
{
    const std::optional<PlayArguments> parsed = ParseArguments(args);
    if (!parsed) {
        std::fputs(kPlayUsage, stderr);
        return kExitUsage;
    }
    const std::filesystem::path input = parsed->file;
    const std::optional<LoadedSong> loaded = LoadSong(input);
    if (!loaded) return kExitNothingWritten;
    const CMidi& song = loaded->song;

    // Blocked before the synthesizer starts its threads, which inherit the mask.
    StopSignals signals;
    QuietSynthesizerLibraries();
    const auto synthesizer = MakeSystemSynthesizer();
    PrintedMessages messages;
    PlaybackEngine engine(*synthesizer, messages);
    engine.SetUp();
    if (parsed->port) {
        const auto count = static_cast<int>(engine.PortDescriptions().size());
        if (*parsed->port >= count) {
            std::fprintf(stderr, "tamsel-cli: there is no port %d (see 'tamsel-cli ports')\n", *parsed->port);
            return kExitUsage;
        }
        engine.SwitchPort(*parsed->port);
    }

    const std::filesystem::path playFile = PlayFileFor(input);
    const auto total = TimedSong::FromSong(song).Length();
    bool interrupted = false;
    try {
        const int messagesBefore = messages.count;
        const auto start = std::chrono::steady_clock::now();
        engine.OnPlay(song, playFile);
        if (engine.State() != PlaybackState::Playing && messages.count > messagesBefore) {
            engine.TearDown(playFile);
            return kExitNothingWritten;
        }
        const bool showProgress = isatty(STDOUT_FILENO) != 0;
        while (engine.IsPlaying()) {
            if (showProgress) {
                const auto elapsed = std::min<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start, total);
                std::printf("\r%s / %s ", Clock(elapsed).c_str(), Clock(total).c_str());
                std::fflush(stdout);
            }
            if (signals.Wait(std::chrono::milliseconds(100))) {
                interrupted = true;
                break;
            }
        }
        engine.OnStop(playFile);
        std::printf("%s%s / %s%s\n", showProgress ? "\r" : "",
                    Clock(interrupted ? std::chrono::steady_clock::now() - start : total).c_str(), Clock(total).c_str(),
                    interrupted ? "  (stopped)" : "");
        engine.TearDown(playFile);
    } catch (const FileError& error) {
        std::fprintf(stderr, "\ntamsel-cli: %s\n", error.what());
        try {
            engine.TearDown(playFile);
        } catch (const FileError&) {
        }
        return kExitNothingWritten;
    }
    return loaded->hadFaults ? kExitWrittenWithFaults : kExitOk;
}

}  // namespace tamsel::cli
