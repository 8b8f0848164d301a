#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "model/smf_codec.h"
#include "support/temp_folder.h"

extern char** environ;

namespace tamsel {
namespace {

using namespace std::literals;
using ::testing::HasSubstr;

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the built tamsel-cli for real, in `folder`, with its output streams in files.
class CliTest : public ::testing::Test {
protected:
    test::TempFolder m_Temp;
    const std::filesystem::path m_Folder = m_Temp.Path();

    void Write(const std::string& name, std::string_view bytes) const
    {
        std::ofstream(m_Folder / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    [[nodiscard]] std::string Read(const std::string& name) const
    {
        std::ifstream in(m_Folder / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    [[nodiscard]] bool Exists(const std::string& name) const { return std::filesystem::exists(m_Folder / name); }

    Outcome Run(const std::vector<std::string>& args) const
    {
        const std::string outPath = (m_Folder / ".stdout").string();
        const std::string errPath = (m_Folder / ".stderr").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, m_Folder.c_str());
        std::vector<std::string> argv{TAMSEL_CLI};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> pointers;
        for (std::string& arg : argv) pointers.push_back(arg.data());
        pointers.push_back(nullptr);
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, TAMSEL_CLI, &actions, nullptr, pointers.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        Outcome outcome;
        if (spawned != 0) return outcome;
        int status = 0;
        ::waitpid(pid, &status, 0);
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.out = Read(".stdout");
        outcome.err = Read(".stderr");
        std::filesystem::remove(outPath);
        std::filesystem::remove(errPath);
        return outcome;
    }

};

const std::string kSmallPellomar = "PLMR\r\nTimeBase=480\r\n1=A\r\n";
const std::string kSmallPellomarSmf =
    "MThd\0\0\0\6\0\0\0\1\1\xE0"
    "MTrk\0\0\0\x14"
    "\0\xFF\3\0" "\0\xFF\2\0" "\0\x90\x3C\x7F" "\x78\x80\x3C\x40" "\0\xFF\x2F\0"s;
// A data byte where a status byte is due, with no status before it.
const std::string kBrokenSmf = "MThd\0\0\0\6\0\0\0\1\1\xE0MTrk\0\0\0\4\0\x3C\x40\0"s;

TEST_F(CliTest, ConvertWritesPellomarAsSmf)
{
    Write("song.pmr", kSmallPellomar);
    const Outcome outcome = Run({"convert", "song.pmr", "-o", "out.mid"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(Read("out.mid"), kSmallPellomarSmf);
}

TEST_F(CliTest, ConvertNamesOutputAfterInput)
{
    Write("song.v2.pmr", kSmallPellomar);
    Write("bare", kSmallPellomar);
    EXPECT_EQ(Run({"convert", "song.v2.pmr"}).exitCode, 0);
    EXPECT_EQ(Read("song.v2.mid"), kSmallPellomarSmf);
    EXPECT_EQ(Run({"convert", "-o", "first.mid", "bare"}).exitCode, 0);
    EXPECT_EQ(Read("first.mid"), kSmallPellomarSmf);
    EXPECT_EQ(Run({"convert", "bare"}).exitCode, 0);
    EXPECT_EQ(Read("bare.mid"), kSmallPellomarSmf);
}

TEST_F(CliTest, ConvertRewritesSmf)
{
    CMidi song(2, 96);
    song.AddMsgTail(0, 1, std::vector<std::uint8_t>{0x90, 0x3C, 0x64});
    song.AddMsgTail(96, 1, std::vector<std::uint8_t>{0xFF, 0x2F, 0x00});
    Write("in.mid", WriteStandardMidi(song));
    EXPECT_EQ(Run({"convert", "in.mid", "-o", "out.mid"}).exitCode, 0);
    EXPECT_EQ(Read("out.mid"), WriteStandardMidi(song));
}

TEST_F(CliTest, ConvertWarnsAboutFaultsAndStillWrites)
{
    Write("broken.mid", kBrokenSmf);
    const Outcome outcome = Run({"convert", "broken.mid", "-o", "out.mid"});
    EXPECT_EQ(outcome.exitCode, 3);
    EXPECT_THAT(outcome.err, HasSubstr("warning: broken.mid: ファイルの読み込みに失敗しました。 (offset "));
    EXPECT_TRUE(Exists("out.mid"));
}

struct FailureCase {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    std::string message;
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class CliFailureTest : public CliTest, public ::testing::WithParamInterface<FailureCase> {};

// Each run starts with song.pmr, notes.txt and broken.mid in the folder.
TEST_P(CliFailureTest, FailsClearlyWritingNothing)
{
    Write("song.pmr", kSmallPellomar);
    Write("notes.txt", "not a song");
    Write("broken.mid", kBrokenSmf);
    const Outcome outcome = Run(GetParam().args);
    EXPECT_EQ(outcome.exitCode, GetParam().exitCode);
    EXPECT_THAT(outcome.err, HasSubstr(GetParam().message));
    EXPECT_EQ(outcome.out, "");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_Folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"broken.mid", "notes.txt", "song.pmr"}));
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliFailureTest,
    ::testing::Values(
        FailureCase{"UnknownKind", {"convert", "notes.txt"}, 1, "neither a Standard MIDI File nor a Pellomar file"},
        FailureCase{"MissingInput", {"convert", "gone.pmr"}, 1, "cannot open gone.pmr: No such file or directory"},
        FailureCase{"InputIsFolder", {"convert", "."}, 1, "cannot open"},
        FailureCase{"OutputFolderMissing", {"convert", "song.pmr", "-o", "no/out.mid"}, 1, "no/out.mid"},
        FailureCase{"NoInput", {"convert"}, 2, "usage: tamsel-cli convert IN [-o OUT]"},
        FailureCase{"TwoInputs", {"convert", "song.pmr", "notes.txt"}, 2, "more than one input file"},
        FailureCase{"OutputWithoutName", {"convert", "song.pmr", "-o"}, 2, "-o needs a file name"},
        FailureCase{"OutputTwice", {"convert", "song.pmr", "-o", "a.mid", "-o", "b.mid"}, 2, "-o given twice"},
        FailureCase{"UnknownOption", {"convert", "--fast", "song.pmr"}, 2, "unknown option --fast"},
        FailureCase{"InfoUnknownKind", {"info", "notes.txt"}, 1, "neither a Standard MIDI File nor a Pellomar file"},
        FailureCase{"InfoMissing", {"info", "gone.mid"}, 1, "cannot open gone.mid"},
        FailureCase{"InfoNoFile", {"info"}, 2, "usage: tamsel-cli info FILE"},
        FailureCase{"InfoTwoFiles", {"info", "song.pmr", "broken.mid"}, 2, "usage: tamsel-cli info FILE"}));

TEST_F(CliTest, InfoShowsPellomarTextsInUtf8)
{
    // 曲 is 8B C8 and 作者 is 8D EC 8E D2 in CP932.
    Write("tune.pmr", "PLMR\r\nTimeBase=96\r\nTitle=\x8B\xC8\r\nBuilder=\x8D\xEC\x8E\xD2\r\nComment=one\\r\\ntwo\r\n"
                      "0=[#0]\r\n1=A-\r\n");
    const Outcome outcome = Run({"info", "tune.pmr"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out,
              "kind: Pellomar file\n"
              "format: 0\n"
              "tracks: 1\n"
              "division: 96\n"
              "track 0: 6 events, 240 ticks\n"
              "title: 曲\n"
              "copyright: 作者\n"
              "pellomar title: 曲\n"
              "pellomar builder: 作者\n"
              "pellomar comment: one\n"
              "  two\n");
}

TEST_F(CliTest, InfoShowsSmfTracksAndFaults)
{
    CMidi song(2, 96);
    song.AddMsgTail(0, 0, std::vector<std::uint8_t>{0xFF, 0x02, 0x02, 0x8B, 0xC8});
    song.AddMsgTail(0, 0, std::vector<std::uint8_t>{0xFF, 0x2F, 0x00});
    song.AddMsgTail(10, 1, std::vector<std::uint8_t>{0x90, 0x3C, 0x64});
    song.AddMsgTail(86, 1, std::vector<std::uint8_t>{0xFF, 0x2F, 0x00});
    Write("two.mid", WriteStandardMidi(song));
    Outcome outcome = Run({"info", "two.mid"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out,
              "kind: Standard MIDI File\n"
              "format: 1\n"
              "tracks: 2\n"
              "division: 96\n"
              "track 0: 2 events, 0 ticks\n"
              "track 1: 2 events, 96 ticks\n"
              "title: \n"
              "copyright: 曲\n");

    Write("broken.mid", kBrokenSmf);
    outcome = Run({"info", "broken.mid"});
    EXPECT_EQ(outcome.exitCode, 3);
    EXPECT_THAT(outcome.err, HasSubstr("warning: broken.mid: ファイルの読み込みに失敗しました。 (offset "));
    EXPECT_THAT(outcome.out, HasSubstr("tracks: 1\n"));
}

}  // namespace
}  // namespace tamsel
