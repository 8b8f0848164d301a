#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "songfile/play_file_name.h"
#include "app/logic/tamsel_commands.h"
#include "app/logic/ui_texts.h"
#include "command_fixture.h"
#include "io/file.h"
#include "playback/messages.h"
#include "song_files.h"

namespace tamsel::app::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::SizeIs;

class RecordingView final : public SongView {
public:
    struct Shown {
        std::u16string title, copyright, comment;
    };
    std::vector<Shown> shown;
    void ShowSongTexts(const std::u16string& title, const std::u16string& copyright,
                       const std::u16string& comment) override
    {
        shown.push_back({title, copyright, comment});
    }
};

class CommandsTest : public ::testing::Test {
protected:
    TempFolder folder;
    TempFolder fallback;
    RecordingSynthesizer synth = ThreePortSynthesizer();
    ScriptedDialogs dialogs;
    DialogMessageSink messages{dialogs};
    RecordingView view;
    PlaybackEngine engine{synth, messages};
    std::unique_ptr<TamselCommands> commands;

    void SetUp() override
    {
        commands = std::make_unique<TamselCommands>(engine, dialogs, view, fallback.Path());
        commands->StartUp();
    }

    std::filesystem::path Write(const std::string& name, std::string_view bytes)
    {
        const auto path = folder / name;
        WriteBytes(path, bytes);
        return path;
    }

    void Open(const std::filesystem::path& path)
    {
        dialogs.openAnswers.push_back(path);
        commands->OnOpen();
    }

    [[nodiscard]] std::string SavedSong()
    {
        const auto path = folder / "saved.mid";
        dialogs.saveAnswers.push_back(path);
        commands->OnSaveSmf();
        return ReadBytes(path);
    }

    [[nodiscard]] bool CreatedPortAfter(std::size_t from) const
    {
        const auto& calls = synth.Calls();
        return std::any_of(calls.begin() + static_cast<std::ptrdiff_t>(from), calls.end(),
                           [](const std::string& call) { return call.starts_with("CreatePort("); });
    }
};

TEST(PlayFileName, CutsTheFileNameAtItsLastDot)
{
    struct Case {
        const char* song;
        const char* playFile;
    };
    for (const Case& c : {
             Case{"/home/me/.local/share/songs/tune.pmr", "/home/me/.local/share/songs/tune_tamsel.tmp"},
             Case{"/d/my.songs/tune", "/d/my.songs/tune_tamsel.tmp"},
             Case{"/d/a.b.mid", "/d/a.b_tamsel.tmp"},
             Case{"/d/.pmr", "/d/_tamsel.tmp"},
             Case{"tune.mid", "tune_tamsel.tmp"},
         }) {
        EXPECT_EQ(PlayFileFor(c.song), std::filesystem::path(c.playFile)) << c.song;
    }
}

TEST(PlayFileName, FallbackKeepsTheNameInTheOtherFolderTaggedWithTheProcess)
{
    EXPECT_EQ(FallbackPlayFile("/media/cd/tune_tamsel.tmp", "/run/user/1000", 4242),
              std::filesystem::path("/run/user/1000/tune_tamsel-4242.tmp"));
}

TEST_F(CommandsTest, ChoosersAreAskedForTheirTypesNameAndOverwriteCheck)
{
    commands->OnOpen();
    commands->OnSaveSmf();
    ASSERT_THAT(dialogs.openRequests, SizeIs(1));
    ASSERT_THAT(dialogs.saveRequests, SizeIs(1));
    const FileChooserRequest& open = dialogs.openRequests[0];
    EXPECT_THAT(open.filters,
                ElementsAre("Pellomar Data Files (*.pmr)", "Standard MIDI Files (*.mid)", "All Files (*)"));
    EXPECT_EQ(open.defaultSuffix, "");
    EXPECT_EQ(open.initialName, "");
    const FileChooserRequest& save = dialogs.saveRequests[0];
    EXPECT_THAT(save.filters, ElementsAre("Standard MIDI Files (*.mid)", "All Files (*)"));
    EXPECT_EQ(save.defaultSuffix, "mid");
    EXPECT_EQ(save.initialName, "NoTitle");
    EXPECT_TRUE(save.confirmOverwrite);
}

TEST_F(CommandsTest, OpeningAPellomarFileShowsItsTextsAndNamesThePlaybackFile)
{
    const auto path = Write("tune.pmr", PellomarFile(u"TimeBase=96\r\nTitle=夜の曲\r\nBuilder=作者\r\n"
                                                     u"Comment=一行目\\r\\n二行目\r\n"));
    Open(path);

    EXPECT_EQ(commands->Title(), u"夜の曲");
    EXPECT_EQ(commands->CopyRight(), u"作者");
    EXPECT_EQ(commands->Comment(), u"一行目\r\n二行目");
    ASSERT_THAT(view.shown, SizeIs(1));
    EXPECT_EQ(view.shown[0].title, u"夜の曲");
    EXPECT_EQ(view.shown[0].comment, u"一行目\r\n二行目");
    EXPECT_EQ(commands->Song().m_Header.m_Division, 96);
    EXPECT_EQ(commands->PlayFile(), folder / "tune_tamsel.tmp");
    EXPECT_THAT(dialogs.warnings, IsEmpty());
}

TEST_F(CommandsTest, MissingTextsFallBackToTheFileNameOrStayEmpty)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::u16string title, copyright;
    };
    const std::vector<Case> cases = {
        {"無題.pmr", PellomarFile(u"TimeBase=480\r\n"), u"無題.pmr", u""},
        {"plain.mid", SmfFile("", ""), u"plain.mid", u""},
        {"named.mid", SmfFile("Named", "(C) Someone"), u"Named", u"(C) Someone"},
    };
    for (const Case& c : cases) {
        Open(Write(c.name, c.bytes));
        EXPECT_EQ(commands->Title(), c.title) << c.name;
        EXPECT_EQ(commands->CopyRight(), c.copyright) << c.name;
    }
    EXPECT_THAT(dialogs.warnings, IsEmpty());
}

TEST_F(CommandsTest, AnSmfOpenedAfterAPellomarFileKeepsItsComment)
{
    Open(Write("first.pmr", PellomarFile(u"Title=First\r\nComment=Kept\r\n")));
    Open(Write("second.mid", SmfFile("Second", "")));
    EXPECT_EQ(commands->Title(), u"Second");
    EXPECT_EQ(commands->CopyRight(), u"");
    EXPECT_EQ(commands->Comment(), u"Kept");
    ASSERT_THAT(view.shown, SizeIs(2));
    EXPECT_EQ(view.shown[1].comment, u"Kept");
}

TEST_F(CommandsTest, SaveWritesTheSongAsOpenedAndTheStartUpSongBeforeAnyOpen)
{
    const std::string startUp = SavedSong();
    EXPECT_EQ(startUp.substr(0, 14), std::string("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xE0", 14));

    const std::string smf = SmfFile("Round trip", "(C) Me");
    Open(Write("song.mid", smf));
    EXPECT_EQ(SavedSong(), smf);
    EXPECT_THAT(dialogs.warnings, IsEmpty());
    EXPECT_THAT(dialogs.errors, IsEmpty());
}

TEST_F(CommandsTest, CancelChangesNothingButStopsPlayback)
{
    Open(Write("tune.pmr", PellomarFile(u"Title=Tune\r\n")));
    commands->OnPlay();
    ASSERT_TRUE(engine.IsPlaying());
    const auto playFile = commands->PlayFile();
    ASSERT_TRUE(std::filesystem::exists(playFile));
    const std::string songBefore = SavedSong();
    commands->OnPlay();

    commands->OnOpen();  // answered with Cancel

    EXPECT_FALSE(engine.IsPlaying());
    EXPECT_FALSE(std::filesystem::exists(playFile));
    EXPECT_EQ(commands->PlayFile(), playFile);
    EXPECT_EQ(commands->Title(), u"Tune");
    EXPECT_THAT(view.shown, SizeIs(1));
    EXPECT_EQ(SavedSong(), songBefore);

    commands->OnSaveSmf();  // answered with Cancel
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 2);
}

TEST_F(CommandsTest, AFileThatCannotBeOpenedShowsTheMessageAndKeepsTheSong)
{
    Open(Write("tune.pmr", PellomarFile(u"Title=Tune\r\n")));
    const std::string songBefore = SavedSong();
    std::filesystem::create_directory(folder / "folder.pmr");
    const auto locked = Write("locked.mid", SmfFile("Locked", ""));
    const File holder = File::OpenForReading(locked);  // another program of ours has it

    for (const auto& path : {folder / "missing.mid", folder / "folder.pmr", locked}) {
        dialogs.warnings.clear();
        Open(path);
        EXPECT_THAT(dialogs.warnings, ElementsAre(std::string(kOpenFailedText))) << path;
        EXPECT_THAT(dialogs.errors, IsEmpty()) << path;
        EXPECT_EQ(commands->PlayFile(), PlayFileFor(path)) << "the new name stands";
    }
    EXPECT_EQ(commands->Title(), u"Tune");
    EXPECT_THAT(view.shown, SizeIs(1)) << "the fields are not refreshed";
    EXPECT_EQ(SavedSong(), songBefore);
}

TEST_F(CommandsTest, AFileOfNeitherKindChangesOnlyThePlaybackFileName)
{
    Open(Write("tune.pmr", PellomarFile(u"Title=Tune\r\nBuilder=Me\r\n")));
    const std::string songBefore = SavedSong();
    for (const char* name : {"notes.txt", "tiny.mid"}) {
        const auto path = Write(name, std::string_view(name).starts_with("tiny") ? "MTh" : "Hello, world\n");
        Open(path);
        EXPECT_EQ(commands->PlayFile(), PlayFileFor(path));
    }
    EXPECT_EQ(commands->Title(), u"Tune");
    EXPECT_EQ(commands->CopyRight(), u"Me");
    EXPECT_EQ(SavedSong(), songBefore);
    EXPECT_THAT(dialogs.warnings, IsEmpty());
    EXPECT_THAT(view.shown, SizeIs(3));
}

TEST_F(CommandsTest, ADamagedSmfShowsEachFaultOnceThenItsTexts)
{
    // The declared track length runs past the end of the file.
    std::string smf = SmfFile("Broken", "");
    smf[21] = '\x7F';
    Open(Write("broken.mid", smf));
    ASSERT_THAT(dialogs.warnings, Not(IsEmpty()));
    std::vector<std::string> distinct = dialogs.warnings;
    std::sort(distinct.begin(), distinct.end());
    EXPECT_EQ(std::unique(distinct.begin(), distinct.end()), distinct.end()) << "a fault text shown twice";
    EXPECT_THAT(view.shown, SizeIs(1));
    EXPECT_EQ(commands->Title(), u"Broken");
}

TEST_F(CommandsTest, SavingWhereNoFileCanBeCreatedShowsTheMessage)
{
    dialogs.saveAnswers.push_back(folder / "no-such-folder" / "song.mid");
    commands->OnSaveSmf();
    EXPECT_THAT(dialogs.warnings, ElementsAre(std::string(kOpenFailedText)));
    EXPECT_THAT(dialogs.errors, IsEmpty());
}

TEST_F(CommandsTest, PlayWritesTheSongToThePlaybackFileAndStopRemovesIt)
{
    const std::string smf = SmfFile("Played", "");
    Open(Write("played.mid", smf));
    commands->OnPlay();
    EXPECT_TRUE(engine.IsPlaying());
    ASSERT_THAT(synth.LoadedFiles(), SizeIs(1));
    EXPECT_EQ(synth.LoadedFiles()[0], smf);
    EXPECT_EQ(commands->WrittenPlayFile(), folder / "played_tamsel.tmp");

    commands->OnStop();
    EXPECT_FALSE(engine.IsPlaying());
    EXPECT_EQ(synth.SegmentsHeld(), 0);
    EXPECT_FALSE(std::filesystem::exists(folder / "played_tamsel.tmp"));
}

TEST_F(CommandsTest, APlaybackFileThatCannotGoBesideTheSongGoesToTheFallbackFolder)
{
    // A song whose folder cannot take a file (here: it does not exist).
    Open(folder / "gone" / "tune.pmr");
    dialogs.warnings.clear();
    commands->OnPlay();
    EXPECT_TRUE(engine.IsPlaying());
    EXPECT_THAT(dialogs.warnings, IsEmpty());
    ASSERT_TRUE(commands->WrittenPlayFile().has_value());
    const auto written = *commands->WrittenPlayFile();
    EXPECT_EQ(written.parent_path(), fallback.Path());
    EXPECT_TRUE(std::filesystem::exists(written));

    commands->OnStop();
    EXPECT_FALSE(std::filesystem::exists(written));
    EXPECT_TRUE(std::filesystem::is_empty(fallback.Path()));
}

TEST_F(CommandsTest, WhenNeitherFolderTakesThePlaybackFileTheEngineSaysSo)
{
    RecordingSynthesizer otherSynth = ThreePortSynthesizer();
    PlaybackEngine otherEngine(otherSynth, messages);
    TamselCommands noFallback(otherEngine, dialogs, view, folder / "no-fallback");
    noFallback.StartUp();
    dialogs.openAnswers.push_back(folder / "gone" / "tune.pmr");
    noFallback.OnOpen();
    dialogs.warnings.clear();
    noFallback.OnPlay();
    EXPECT_FALSE(otherEngine.IsPlaying());
    EXPECT_THAT(dialogs.warnings, ElementsAre(std::string(kPlayFileCreateFailedMessage)));
}

TEST_F(CommandsTest, APlaybackFileThatCannotBeDeletedEndsTheCommandWithTheError)
{
    Open(Write("tune.pmr", PellomarFile(u"Title=Tune\r\n")));
    // Something that is not our playback file sits where it would be.
    std::filesystem::create_directories(folder / "tune_tamsel.tmp" / "inside");
    commands->OnOpen();
    ASSERT_THAT(dialogs.errors, SizeIs(1));
    EXPECT_THAT(dialogs.openRequests, SizeIs(1)) << "the chooser is not shown after a failed stop";
    EXPECT_TRUE(std::filesystem::exists(folder / "tune_tamsel.tmp" / "inside"));
}

TEST_F(CommandsTest, ThePortDialogListsThePortsAndSwitchesOnlyOnAChange)
{
    struct Case {
        const char* what;
        std::optional<int> answer;
        bool switches;
    };
    for (const Case& c : {
             Case{"cancel", std::nullopt, false},
             Case{"OK unchanged", 1, false},
             Case{"OK with nothing selected", -1, false},
             Case{"OK on another port", 2, true},
             Case{"back to the first", 0, true},
         }) {
        const int before = engine.PortIndex();
        dialogs.portAnswers.push_back(c.answer);
        const std::size_t callsBefore = synth.Calls().size();
        commands->OnPortSetting();
        ASSERT_FALSE(dialogs.portRequests.empty());
        EXPECT_THAT(dialogs.portRequests.back().ports, ElementsAre(u"Port A", u"Microsoft MIDI Mapper", u"Port C"));
        EXPECT_EQ(dialogs.portRequests.back().current, before) << c.what;
        EXPECT_EQ(CreatedPortAfter(callsBefore), c.switches) << c.what;
        EXPECT_EQ(engine.PortIndex(), c.switches ? *c.answer : before) << c.what;
        EXPECT_EQ(synth.PortsHeld(), 1) << c.what;
    }
}

TEST_F(CommandsTest, ThePortDialogOpensOnlyAfterPlaybackHasStopped)
{
    commands->OnPlay();
    ASSERT_TRUE(engine.IsPlaying());
    dialogs.portAnswers.push_back(2);
    commands->OnPortSetting();
    EXPECT_FALSE(engine.IsPlaying());
    EXPECT_FALSE(std::filesystem::exists(commands->PlayFile()));
}

TEST_F(CommandsTest, ExitStopsAndTeardownEndsEverythingOnce)
{
    Open(Write("tune.pmr", PellomarFile(u"Title=Tune\r\n")));
    commands->OnPlay();
    commands->OnExit();
    EXPECT_FALSE(engine.IsPlaying());
    EXPECT_FALSE(std::filesystem::exists(folder / "tune_tamsel.tmp"));

    commands->OnPlay();
    ASSERT_TRUE(std::filesystem::exists(folder / "tune_tamsel.tmp"));
    commands->TearDown();
    EXPECT_FALSE(std::filesystem::exists(folder / "tune_tamsel.tmp"));
    EXPECT_EQ(engine.State(), PlaybackState::Closed);
    EXPECT_EQ(synth.PortsHeld(), 0);
    EXPECT_EQ(synth.SegmentsHeld(), 0);
    // Later commands, like a drop queued before closing, find nothing to do.
    const std::size_t calls = synth.Calls().size();
    commands->TearDown();
    commands->OnPlay();
    commands->OpenFile(folder / "tune.pmr");
    commands.reset();
    EXPECT_EQ(synth.Calls().size(), calls);
    EXPECT_FALSE(std::filesystem::exists(folder / "tune_tamsel.tmp"));
    EXPECT_THAT(view.shown, SizeIs(1));
}

TEST_F(CommandsTest, APortThatCannotBeActivatedAtStartIsReportedOnce)
{
    RecordingSynthesizer failing = ThreePortSynthesizer();
    failing.failingActivations = {"port-b"};
    ScriptedDialogs seen;
    DialogMessageSink sink(seen);
    PlaybackEngine other(failing, sink);
    TamselCommands startUp(other, seen, view, fallback.Path());
    startUp.StartUp();
    EXPECT_THAT(seen.warnings, ElementsAre(std::string(kPortActivationFailedMessage)));
}

}  // namespace
}  // namespace tamsel::app::test
