#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "io/file.h"
#include "jack_support.h"
#include "model/smf_codec.h"

namespace tamsel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;
using test::ChildProcess;
using ::testing::HasSubstr;

std::string Slurp(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteSong(const CMidi& song, const std::filesystem::path& path)
{
    std::ofstream(path, std::ios::binary) << WriteStandardMidi(song);
}

// The position of the receiver in the listing of `tamsel-cli ports`.
std::string ReceiverPort(const std::string& listing)
{
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("tamsel-cli-receiver:in") == std::string::npos) continue;
        std::istringstream fields(line.substr(2));
        std::string index;
        fields >> index;
        return index;
    }
    return {};
}

class CliPlayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.Ready()) << "jackd did not start";
        ASSERT_TRUE(receiver.Ok());
    }

    // Runs the CLI to its end; its exit status, its output in `output`.
    int Run(std::vector<std::string> args, std::string& output)
    {
        args.insert(args.begin(), TAMSEL_CLI);
        const auto out = dir.Path() / "out.txt";
        ChildProcess cli(args, {}, out);
        const int status = cli.Wait(30s);
        output = Slurp(out);
        return status;
    }

    std::string Port()
    {
        std::string listing;
        EXPECT_EQ(Run({"ports"}, listing), 0);
        EXPECT_THAT(listing, HasSubstr("* 0  内蔵ソフトウェア音源 (FluidSynth)  (default)"));
        return ReceiverPort(listing);
    }

    test::JackServer server;
    test::MidiReceiver receiver{"tamsel-cli-receiver"};
    test::TempFolder dir;
};

TEST_F(CliPlayTest, CtrlCStopsWithNoNoteLeftOnAndNoPlaybackFileLeft)
{
    const std::string port = Port();
    ASSERT_FALSE(port.empty()) << "the receiver is not listed";
    const auto songFile = dir.Path() / "long.song.mid";
    WriteSong(test::Song(480, {{0, {0x90, 60, 100}}, {0, {0x91, 64, 100}}, {9600, {0x80, 60, 0}}}, 9600), songFile);

    ChildProcess cli({TAMSEL_CLI, "play", songFile.string(), "--port", port}, {}, dir.Path() / "out.txt");
    ASSERT_TRUE(test::WaitFor([&] { return receiver.Count() >= 2; }, 10s)) << "nothing arrived";
    // The playback file is named after the song, up to the file name's last dot.
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "long.song_tamsel.tmp"));
    cli.Signal(SIGINT);
    EXPECT_EQ(cli.Wait(10s), 0);

    std::vector<Bytes> received;
    for (const auto& event : receiver.Events()) received.push_back(event.bytes);
    EXPECT_THAT(received, ::testing::ElementsAre(Bytes{0x90, 60, 100}, Bytes{0x91, 64, 100}, Bytes{0x80, 60, 0},
                                                 Bytes{0x81, 64, 0}, Bytes{0xB0, 123, 0}, Bytes{0xB0, 120, 0},
                                                 Bytes{0xB1, 123, 0}, Bytes{0xB1, 120, 0}));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "long.song_tamsel.tmp"));
    EXPECT_THAT(Slurp(dir.Path() / "out.txt"), HasSubstr("/ 0:10"));
}

TEST_F(CliPlayTest, PlaysAShortSongToItsEndAndCleansUp)
{
    const std::string port = Port();
    ASSERT_FALSE(port.empty());
    const auto songFile = dir.Path() / "short.mid";
    WriteSong(test::Song(480, {{0, {0x90, 60, 100}}, {240, {0x80, 60, 0}}}, 480), songFile);
    std::string output;
    EXPECT_EQ(Run({"play", songFile.string(), "--port", port}, output), 0);
    EXPECT_THAT(output, HasSubstr("0:00 / 0:00"));
    // Leaving the port, the player also clears the channels the song used.
    std::vector<Bytes> received;
    for (const auto& event : receiver.Events()) received.push_back(event.bytes);
    EXPECT_THAT(received, ::testing::ElementsAre(Bytes{0x90, 60, 100}, Bytes{0x80, 60, 0}, Bytes{0xB0, 123, 0}, Bytes{0xB0, 120, 0}));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "short_tamsel.tmp"));
}

TEST_F(CliPlayTest, RejectsBadArgumentsAndFilesThatAreNoSong)
{
    const auto songFile = dir.Path() / "short.mid";
    WriteSong(test::Song(480, {{0, {0x90, 60, 100}}}, 480), songFile);
    const auto textFile = dir.Path() / "notes.txt";
    std::ofstream(textFile) << "no song here";
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    const Case cases[] = {{{"play"}, 2},
                          {{"play", songFile.string(), "--port"}, 2},
                          {{"play", songFile.string(), "--port", "x"}, 2},
                          {{"play", songFile.string(), "--port", "-1"}, 2},
                          {{"play", songFile.string(), "--port", "9"}, 2},
                          {{"play", songFile.string(), songFile.string()}, 2},
                          {{"ports", "extra"}, 2},
                          {{"play", (dir.Path() / "missing.mid").string()}, 1},
                          {{"play", textFile.string()}, 1}};
    for (const Case& c : cases) {
        std::string output;
        EXPECT_EQ(Run(c.args, output), c.status) << ::testing::PrintToString(c.args);
    }
    EXPECT_EQ(receiver.Count(), 0u);
}

}  // namespace
}  // namespace tamsel
