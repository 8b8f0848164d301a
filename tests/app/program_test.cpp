// The tamsel program itself: it starts with a song named on the command line
// and ends cleanly on a termination signal, even while its start-up message
// (no sound output on a machine without audio) is open.
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "command_fixture.h"
#include "song_files.h"

extern char** environ;

namespace tamsel::app::test {
namespace {

using namespace std::chrono_literals;

// Waits up to `limit` for the child; its wait status, or nothing.
std::optional<int> WaitFor(pid_t pid, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) return status;
        std::this_thread::sleep_for(20ms);
    }
    return std::nullopt;
}

TEST(Program, OpensTheSongGivenAndEndsCleanlyOnASignal)
{
    TempFolder folder;
    const auto song = folder / "tune.pmr";
    WriteBytes(song, "PLMR\r\nTitle=Tune\r\n0=\r\n1=A---\r\n");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    for (const int signal : {SIGTERM, SIGINT}) {
        const std::string program = TAMSEL_PROGRAM;
        const std::string path = song.string();
        const char* arguments[] = {program.c_str(), path.c_str(), nullptr};
        pid_t pid = -1;
        ASSERT_EQ(::posix_spawn(&pid, program.c_str(), nullptr, nullptr, const_cast<char**>(arguments), environ), 0);
        std::this_thread::sleep_for(1500ms);
        ASSERT_FALSE(WaitFor(pid, 0ms).has_value()) << "the program ended by itself";
        ::kill(pid, signal);
        const auto status = WaitFor(pid, 10s);
        if (!status) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            FAIL() << "still running after signal " << signal;
        }
        EXPECT_TRUE(WIFEXITED(*status)) << "ended by signal " << signal;
        EXPECT_EQ(WEXITSTATUS(*status), 0);
        EXPECT_FALSE(std::filesystem::exists(folder / "tune_tamsel.tmp"));
    }
}

}  // namespace
}  // namespace tamsel::app::test
