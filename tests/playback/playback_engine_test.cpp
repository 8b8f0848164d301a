#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "io/file.h"
#include "model/smf_codec.h"
#include "playback/playback_engine.h"
#include "playback/recording_synthesizer.h"
#include "support/temp_folder.h"

namespace tamsel {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

struct CollectingMessages final : MessageSink {
    void Warn(std::string_view text) override { texts.emplace_back(text); }
    std::vector<std::string> texts;
};

std::vector<PortCaps> Ports(std::initializer_list<const char16_t*> descriptions)
{
    std::vector<PortCaps> ports;
    char id = 'a';
    for (const char16_t* description : descriptions) ports.push_back({description, std::string("port-") + id++});
    return ports;
}

CMidi ShortSong()
{
    CMidi song(1, 96);
    const std::uint8_t on[] = {0x90, 60, 100};
    const std::uint8_t off[] = {0x80, 60, 0};
    const std::uint8_t end[] = {0xFF, 0x2F, 0x00};
    song.AddMsgTail(0, 0, on);
    song.AddMsgTail(96, 0, off);
    song.AddMsgTail(0, 0, end);
    return song;
}

class PlaybackEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        playFile = dir / "song_tamsel.tmp";
        synth.ports = Ports({u"Built-in", u"Other"});
    }

    // The engine, set up, with the log cleared.
    PlaybackEngine& Ready()
    {
        engine.SetUp();
        synth.ClearCalls();
        return engine;
    }
    bool PlayFileExists() const { return std::filesystem::exists(playFile); }

    test::TempFolder folder;
    const std::filesystem::path dir = folder.Path();
    std::filesystem::path playFile;
    RecordingSynthesizer synth;
    CollectingMessages messages;
    PlaybackEngine engine{synth, messages};
    CMidi song = ShortSong();
};

TEST_F(PlaybackEngineTest, SetUpEnumeratesEveryPortThenAttachesTheDefault)
{
    engine.SetUp();
    EXPECT_THAT(synth.Calls(), ElementsAre("Open", "EnumPort(0)", "EnumPort(1)", "EnumPort(2)", "CreatePort(port-a)=1", "Activate(1)",
                                           "AddPort(1)"));
    EXPECT_THAT(engine.PortDescriptions(), ElementsAre(u"Built-in", u"Other"));
    EXPECT_EQ(engine.PortIndex(), 0);
    EXPECT_THAT(messages.texts, IsEmpty());
    EXPECT_EQ(engine.State(), PlaybackState::Ready);
}

struct DefaultRuleCase {
    const char* name;
    std::vector<std::u16string> descriptions;
    int expectedIndex;
};

class DefaultPortRuleTest : public PlaybackEngineTest, public ::testing::WithParamInterface<DefaultRuleCase> {};

TEST_P(DefaultPortRuleTest, PicksTheLastPortWithCapitalMAtCharacters0And10)
{
    synth.ports.clear();
    for (std::size_t i = 0; i < GetParam().descriptions.size(); ++i)
        synth.ports.push_back({GetParam().descriptions[i], "port-" + std::to_string(i)});
    engine.SetUp();
    EXPECT_EQ(engine.PortIndex(), GetParam().expectedIndex);
    EXPECT_THAT(synth.Calls(), ::testing::Contains("CreatePort(port-" + std::to_string(GetParam().expectedIndex) + ")=1"));
}

std::vector<std::u16string> TwelvePortsMatchingAt(std::size_t matching)
{
    std::vector<std::u16string> descriptions(12, u"Some synthesizer");
    descriptions[matching] = u"Microsoft MIDI Mapper";
    return descriptions;
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, DefaultPortRuleTest,
    ::testing::Values(DefaultRuleCase{"NoMatchUsesTheFirst", {u"Synth A", u"Synth B", u"MIDI Thru"}, 0},
                      DefaultRuleCase{"OneMatch", {u"Synth A", u"Microsoft GS Wavetable", u"Microsoft MIDI Mapper"}, 2},
                      DefaultRuleCase{"TheLaterOfTwoMatches", {u"MxxxxxxxxxM 1", u"Synth", u"MxxxxxxxxxM 2", u"Synth"}, 2},
                      DefaultRuleCase{"OnlyCharacter0", {u"Synth", u"Mxxxxxxxxxx"}, 0},
                      DefaultRuleCase{"OnlyCharacter10", {u"Synth", u"xxxxxxxxxxM"}, 0},
                      DefaultRuleCase{"LowerCaseM", {u"Synth", u"mxxxxxxxxxm"}, 0},
                      DefaultRuleCase{"TooShortForCharacter10", {u"Synth", u"MxxxxxxxxM"}, 0},
                      DefaultRuleCase{"ExactlyElevenCharacters", {u"Synth", u"MxxxxxxxxxM"}, 1},
                      DefaultRuleCase{"FullWidthMDoesNotCount", {u"Synth", u"Ｍxxxxxxxxxｍ"}, 0},
                      DefaultRuleCase{"MatchInTheTenthEntry", TwelvePortsMatchingAt(9), 9},
                      DefaultRuleCase{"MatchPastTheTableIsNeverSeen", TwelvePortsMatchingAt(11), 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlaybackEngineTest, TableHoldsTenPortsAndClipsLongDescriptions)
{
    synth.ports.clear();
    for (int i = 0; i < 12; ++i) synth.ports.push_back({std::u16string(200, u'a' + i), "port"});
    // A surrogate pair that straddles the limit is dropped whole.
    synth.ports[1].description = std::u16string(127, u'x') + u"\U0001F3B5tail";
    engine.SetUp();
    EXPECT_THAT(synth.Calls(), ::testing::Not(::testing::Contains("EnumPort(10)")));
    const auto descriptions = engine.PortDescriptions();
    ASSERT_EQ(descriptions.size(), 10u);
    EXPECT_EQ(descriptions[0], std::u16string(128, u'a'));
    EXPECT_EQ(descriptions[1], std::u16string(127, u'x'));
    EXPECT_EQ(descriptions[9], std::u16string(128, u'j'));
}

TEST_F(PlaybackEngineTest, FailedActivationWarnsOnceAndKeepsThePortAttached)
{
    synth.failingActivations = {"port-a"};
    engine.SetUp();
    EXPECT_THAT(messages.texts, ElementsAre(std::string(kPortActivationFailedMessage)));
    EXPECT_EQ(std::string(kPortActivationFailedMessage),
              "音源の初期化に失敗しました。\n他のプログラムで使用していないか確認してください。");
    EXPECT_THAT(synth.Calls(), ::testing::Contains("AddPort(1)"));
    engine.OnPlay(song, playFile);
    EXPECT_EQ(engine.State(), PlaybackState::Playing);
}

// Objects that could not be made leave the engine without a port: each case
// warns, and Play, Stop, a switch and the teardown still run without using one.
struct MissingObjectCase {
    const char* name;
    std::function<void(RecordingSynthesizer&)> arrange;
    std::string setUpMessage;
};

class MissingObjectTest : public PlaybackEngineTest, public ::testing::WithParamInterface<MissingObjectCase> {};

TEST_P(MissingObjectTest, WarnsAndKeepsRunningWithoutSound)
{
    GetParam().arrange(synth);
    engine.SetUp();
    EXPECT_THAT(messages.texts, ElementsAre(GetParam().setUpMessage));
    messages.texts.clear();

    engine.OnPlay(song, playFile);
    EXPECT_THAT(messages.texts, ElementsAre(std::string(kCannotPlayMessage)));
    EXPECT_FALSE(PlayFileExists());
    EXPECT_FALSE(engine.IsPlaying());
    engine.SwitchPort(1);
    engine.OnStop(playFile);
    engine.TearDown(playFile);
    EXPECT_EQ(synth.PortsHeld(), 0);
    EXPECT_EQ(synth.SegmentsHeld(), 0);
    EXPECT_THAT(synth.Calls(), ::testing::Not(::testing::Contains("LoadSegment=1")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MissingObjectTest,
    ::testing::Values(
        MissingObjectCase{"StackDoesNotOpen", [](RecordingSynthesizer& s) { s.openFails = true; }, std::string(kNoPortMessage)},
        MissingObjectCase{"NoPortAtAll", [](RecordingSynthesizer& s) { s.ports.clear(); }, std::string(kNoPortMessage)},
        MissingObjectCase{"PortCannotBeCreated", [](RecordingSynthesizer& s) { s.createPortFails = true; },
                          std::string(kPortActivationFailedMessage)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlaybackEngineTest, PlayWritesTheSongThenLoadsAndStartsIt)
{
    Ready().OnPlay(song, playFile);
    EXPECT_THAT(synth.Calls(), ElementsAre("LoadSegment=1", "Play(1)"));
    ASSERT_EQ(synth.LoadedFiles().size(), 1u);
    EXPECT_EQ(synth.LoadedFiles()[0], WriteStandardMidi(song));
    EXPECT_TRUE(PlayFileExists());
    EXPECT_THAT(messages.texts, IsEmpty());
}

TEST_F(PlaybackEngineTest, PlayWhilePlayingStopsAndStartsAgainFromANewFile)
{
    Ready().OnPlay(song, playFile);
    const std::uint8_t marker[] = {0xFF, 0x06, 0x01, 'x'};
    song.AddMsgTail(0, 0, marker);
    synth.ClearCalls();
    engine.OnPlay(song, playFile);
    EXPECT_THAT(synth.Calls(), ElementsAre("IsPlaying(1)", "Stop(1)", "GiveBack(1)", "LoadSegment=2", "Play(2)"));
    EXPECT_EQ(synth.LoadedFiles().at(1), WriteStandardMidi(song));
    EXPECT_EQ(synth.SegmentsHeld(), 1);
}

TEST_F(PlaybackEngineTest, PlayAfterTheEndGivesTheFinishedSegmentBackFirst)
{
    Ready().OnPlay(song, playFile);
    synth.FinishPlaying();
    synth.ClearCalls();
    engine.OnPlay(song, playFile);
    EXPECT_THAT(synth.Calls(), ElementsAre("IsPlaying(1)", "GiveBack(1)", "LoadSegment=2", "Play(2)"));
    EXPECT_EQ(synth.SegmentsHeld(), 1);
}

TEST_F(PlaybackEngineTest, FailedLoadWarnsAndLeavesTheFileForTheNextStop)
{
    synth.loadFails = true;
    Ready().OnPlay(song, playFile);
    EXPECT_THAT(messages.texts, ElementsAre(std::string(kPlayFileLoadFailedMessage)));
    EXPECT_THAT(synth.Calls(), ElementsAre("LoadSegment=none"));
    EXPECT_EQ(engine.State(), PlaybackState::Ready);
    EXPECT_TRUE(PlayFileExists());
    synth.ClearCalls();
    engine.OnStop(playFile);
    EXPECT_FALSE(PlayFileExists());
    EXPECT_THAT(synth.Calls(), IsEmpty());
}

TEST_F(PlaybackEngineTest, PlayFileThatCannotBeCreatedWarnsAndLoadsNothing)
{
    const auto unreachable = dir / "no-such-dir" / "song_tamsel.tmp";
    Ready().OnPlay(song, unreachable);
    EXPECT_THAT(messages.texts, ElementsAre(std::string(kPlayFileCreateFailedMessage)));
    EXPECT_THAT(synth.Calls(), IsEmpty());
    EXPECT_EQ(engine.State(), PlaybackState::Ready);
}

TEST_F(PlaybackEngineTest, StopWithNoSegmentOnlyDeletesTheFile)
{
    Ready();
    File::CreateForWriting(playFile).Close();
    engine.OnStop(playFile);
    EXPECT_FALSE(PlayFileExists());
    EXPECT_THAT(synth.Calls(), IsEmpty());
    engine.OnStop(playFile);  // and with no file, nothing at all
    EXPECT_THAT(synth.Calls(), IsEmpty());
}

// Each row of the state table: how to reach the state, the operation that
// leaves it, and where it must go.
class StateTableTest;
struct StateRow {
    const char* name;
    std::function<void(StateTableTest&)> reach;
    std::function<void(StateTableTest&)> leave;
    PlaybackState before;
    PlaybackState after;
    bool fileAfter;
    int segmentsAfter;
};

class StateTableTest : public PlaybackEngineTest, public ::testing::WithParamInterface<StateRow> {
public:
    void Play() { engine.OnPlay(song, playFile); }
    void Stop() { engine.OnStop(playFile); }
    void Close() { engine.TearDown(playFile); }
    void SetUpEngine() { engine.SetUp(); }
    void End() { synth.FinishPlaying(); }
};

TEST_P(StateTableTest, MovesAsTheTableSays)
{
    const StateRow& row = GetParam();
    row.reach(*this);
    ASSERT_EQ(engine.State(), row.before);
    row.leave(*this);
    EXPECT_EQ(engine.State(), row.after);
    EXPECT_EQ(PlayFileExists(), row.fileAfter);
    EXPECT_EQ(synth.SegmentsHeld(), row.segmentsAfter);
    EXPECT_THAT(messages.texts, IsEmpty());
}

using S = StateTableTest;
INSTANTIATE_TEST_SUITE_P(
    Rows, StateTableTest,
    ::testing::Values(
        StateRow{"NotSetUpToReady", [](S&) {}, [](S& t) { t.SetUpEngine(); }, PlaybackState::NotSetUp, PlaybackState::Ready, false, 0},
        StateRow{"ReadyPlayToPlaying", [](S& t) { t.SetUpEngine(); }, [](S& t) { t.Play(); }, PlaybackState::Ready,
                 PlaybackState::Playing, true, 1},
        StateRow{"PlayingEndToFinished", [](S& t) { t.SetUpEngine(), t.Play(); }, [](S& t) { t.End(); }, PlaybackState::Playing,
                 PlaybackState::Finished, true, 1},
        StateRow{"PlayingStopToReady", [](S& t) { t.SetUpEngine(), t.Play(); }, [](S& t) { t.Stop(); }, PlaybackState::Playing,
                 PlaybackState::Ready, false, 0},
        StateRow{"FinishedStopToReady", [](S& t) { t.SetUpEngine(), t.Play(), t.End(); }, [](S& t) { t.Stop(); },
                 PlaybackState::Finished, PlaybackState::Ready, false, 0},
        StateRow{"FinishedPlayToPlaying", [](S& t) { t.SetUpEngine(), t.Play(), t.End(); }, [](S& t) { t.Play(); },
                 PlaybackState::Finished, PlaybackState::Playing, true, 1},
        StateRow{"PlayingTeardownToClosed", [](S& t) { t.SetUpEngine(), t.Play(); }, [](S& t) { t.Close(); },
                 PlaybackState::Playing, PlaybackState::Closed, false, 0},
        StateRow{"FinishedTeardownToClosed", [](S& t) { t.SetUpEngine(), t.Play(), t.End(); }, [](S& t) { t.Close(); },
                 PlaybackState::Finished, PlaybackState::Closed, false, 0},
        StateRow{"ReadyTeardownToClosed", [](S& t) { t.SetUpEngine(); }, [](S& t) { t.Close(); }, PlaybackState::Ready,
                 PlaybackState::Closed, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlaybackEngineTest, StopOrderIsStopThenGiveBackThenDelete)
{
    Ready().OnPlay(song, playFile);
    synth.ClearCalls();
    engine.OnStop(playFile);
    EXPECT_THAT(synth.Calls(), ElementsAre("IsPlaying(1)", "Stop(1)", "GiveBack(1)"));
}

TEST_F(PlaybackEngineTest, TeardownWhilePlayingGivesEverythingBackInOrder)
{
    Ready().OnPlay(song, playFile);
    synth.ClearCalls();
    engine.TearDown(playFile);
    EXPECT_THAT(synth.Calls(), ElementsAre("RemovePort(1)", "ReleasePort(1)", "CloseDown", "GiveBack(1)"));
    EXPECT_EQ(synth.PortsHeld(), 0);
    engine.TearDown(playFile);  // a second teardown does nothing
    EXPECT_THAT(synth.Calls(), ::testing::SizeIs(4));
}

TEST_F(PlaybackEngineTest, PlayFileThatCannotBeDeletedThrowsAfterTheResourcesGoBack)
{
    Ready();
    // A directory with something inside stands for a file that will not go.
    const auto stubborn = dir / "stubborn";
    std::filesystem::create_directories(stubborn / "inside");
    EXPECT_THROW(engine.OnStop(stubborn), FileError);
    EXPECT_THROW(engine.TearDown(stubborn), FileError);
    EXPECT_THAT(synth.Calls(), ElementsAre("RemovePort(1)", "ReleasePort(1)", "CloseDown"));
    EXPECT_EQ(engine.State(), PlaybackState::Closed);
}

TEST_F(PlaybackEngineTest, DestructionWithoutTeardownGivesEverythingBack)
{
    {
        PlaybackEngine local(synth, messages);
        local.SetUp();
        local.OnPlay(song, playFile);
    }
    EXPECT_EQ(synth.PortsHeld(), 0);
    EXPECT_EQ(synth.SegmentsHeld(), 0);
    EXPECT_THAT(synth.Calls(), ::testing::Contains("CloseDown"));
}

TEST_F(PlaybackEngineTest, SwitchPortRecreatesOnlyForAnotherValidIndex)
{
    synth.ports = Ports({u"A", u"B", u"C"});
    Ready();
    for (int ignored : {0, -1, 3, 10}) engine.SwitchPort(ignored);
    EXPECT_THAT(synth.Calls(), IsEmpty());
    EXPECT_EQ(engine.PortIndex(), 0);

    engine.SwitchPort(2);
    EXPECT_THAT(synth.Calls(), ElementsAre("RemovePort(1)", "ReleasePort(1)", "CreatePort(port-c)=2", "Activate(2)", "AddPort(2)"));
    EXPECT_EQ(engine.PortIndex(), 2);
    EXPECT_EQ(synth.PortsHeld(), 1);

    synth.ClearCalls();
    engine.OnPlay(song, playFile);
    EXPECT_THAT(synth.Calls(), ElementsAre("LoadSegment=1", "Play(1)"));
}

TEST_F(PlaybackEngineTest, SwitchToAPortThatFailsToActivateWarnsAndUsesIt)
{
    synth.failingActivations = {"port-b"};
    Ready().SwitchPort(1);
    EXPECT_THAT(messages.texts, ElementsAre(std::string(kPortActivationFailedMessage)));
    EXPECT_EQ(engine.PortIndex(), 1);
    EXPECT_THAT(synth.Calls(), ::testing::Contains("AddPort(2)"));
}

}  // namespace
}  // namespace tamsel
