// The window over the real synthesizer stack: a Pellomar song opened from
// the menu sounds on the built-in synthesizer, stops, and saves as an SMF.
// The sound is rendered offline, so it is measured exactly.
#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <thread>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/tamsel_dlg.h"
#include "command_fixture.h"
#include "playback/offline_audio.h"
#include "playback/system_synthesizer.h"
#include "song_files.h"

namespace tamsel::app::test {
namespace {

using namespace std::chrono_literals;

void Trigger(const CTamselDlg& window, const char* menuText, const char* itemText)
{
    for (QAction* menu : window.MenuBar()->actions()) {
        if (menu->text() != QString::fromUtf8(menuText)) continue;
        for (QAction* item : menu->menu()->actions())
            if (item->text() == QString::fromUtf8(itemText)) return item->trigger();
    }
    ADD_FAILURE() << "no item " << itemText;
}

double Rms(const std::vector<float>& samples, std::size_t from, std::size_t to)
{
    to = std::min(to, samples.size());
    if (from >= to) return 0.0;
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i) sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(to - from));
}

TEST(BuiltInSynthWindow, OpensPlaysStopsAndSavesAPellomarSong)
{
    TempFolder folder;
    OfflineAudio audio;
    BuiltInSynthOptions options;
    options.offlineAudio = &audio;
    const auto synthesizer = MakeSystemSynthesizer(options);
    ScriptedDialogs dialogs;
    DialogMessageSink messages(dialogs);
    PlaybackEngine engine(*synthesizer, messages);
    CTamselDlg window(engine, dialogs, folder.Path());
    window.show();
    ASSERT_THAT(dialogs.warnings, ::testing::IsEmpty()) << "the built-in synthesizer did not start";
    ASSERT_EQ(engine.PortIndex(), 0);

    // A flute holding middle C for five seconds, from the first step on.
    const auto song = folder / "flute.pmr";
    WriteBytes(song, "PLMR\r\nTimeBase=480\r\nTitle=Flute\r\n0=\r\n1=[%3:073]A" + std::string(40, '-') + "\r\n");
    dialogs.openAnswers.push_back(song);
    Trigger(window, "ファイル(&F)", "開く(&O)");
    ASSERT_EQ(window.Commands().Title(), u"Flute");

    Trigger(window, "操作(&O)", "再生(&P)");
    ASSERT_TRUE(engine.IsPlaying());
    EXPECT_TRUE(std::filesystem::exists(folder / "flute_tamsel.tmp"));
    std::this_thread::sleep_for(1200ms);
    const auto stoppedAt = std::chrono::steady_clock::now();
    Trigger(window, "操作(&O)", "停止(&S)");
    EXPECT_FALSE(engine.IsPlaying());
    EXPECT_FALSE(std::filesystem::exists(folder / "flute_tamsel.tmp"));
    const std::vector<float> samples = audio.Render(stoppedAt + 800ms);
    const auto frame = [&](std::chrono::steady_clock::time_point t) {
        return static_cast<std::size_t>(std::max(0.0, std::chrono::duration<double>(t - audio.Origin()).count()) *
                                        audio.SampleRate());
    };
    EXPECT_GT(Rms(samples, frame(stoppedAt - 700ms), frame(stoppedAt - 50ms)), 1e-2) << "no sound while playing";
    EXPECT_LT(Rms(samples, frame(stoppedAt + 600ms), frame(stoppedAt + 800ms)), 1e-4) << "sound after Stop";

    dialogs.saveAnswers.push_back(folder / "flute.mid");
    Trigger(window, "ファイル(&F)", "SMF形式で保存(&S)");
    const std::string saved = ReadBytes(folder / "flute.mid");
    EXPECT_TRUE(saved.starts_with("MThd"));
    EXPECT_NE(saved.find("\xC0\x49"), std::string::npos) << "the flute";
    EXPECT_NE(saved.find("\x90\x3C\x7F"), std::string::npos) << "middle C";

    window.close();
    EXPECT_EQ(engine.State(), PlaybackState::Closed);
}

}  // namespace
}  // namespace tamsel::app::test
