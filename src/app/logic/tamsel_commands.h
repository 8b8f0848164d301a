#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "app/logic/user_dialogs.h"
#include "model/midi.h"
#include "playback/messages.h"

namespace tamsel {
class PlaybackEngine;
}

namespace tamsel::app {

// The main window's commands and the state they share: the song, its three
// texts and the playback file's path. The window only forwards its menu
// items here; the dialogs and the fields are reached through interfaces.
class TamselCommands {
public:
    // `fallbackFolder` takes the playback file when it cannot be created
    // beside the song (the user's runtime or temporary folder).
    TamselCommands(PlaybackEngine& engine, UserDialogs& dialogs, SongView& view,
                   std::filesystem::path fallbackFolder);
    TamselCommands(const TamselCommands&) = delete;
    TamselCommands& operator=(const TamselCommands&) = delete;
    ~TamselCommands();  // runs the teardown if it has not run

    // The playback set-up; run once when the window opens.
    void StartUp();

    void OnOpen();
    // Open without the chooser: a file named at start or dropped on the window.
    void OpenFile(const std::filesystem::path& path);
    void OnSaveSmf();
    void OnPlay();
    void OnStop();
    void OnPortSetting();
    // Stops playback before the window closes.
    void OnExit();
    // Ends playback for good and removes the playback file; later calls do nothing.
    void TearDown();

    [[nodiscard]] const CMidi& Song() const noexcept { return m_Midi; }
    [[nodiscard]] const std::filesystem::path& PlayFile() const noexcept { return m_PlayFile; }
    // Where the last Play actually wrote the playback file, if it has not been removed since.
    [[nodiscard]] const std::optional<std::filesystem::path>& WrittenPlayFile() const noexcept
    {
        return m_WrittenPlayFile;
    }
    [[nodiscard]] const std::u16string& Title() const noexcept { return m_Title; }
    [[nodiscard]] const std::u16string& CopyRight() const noexcept { return m_CopyRight; }
    [[nodiscard]] const std::u16string& Comment() const noexcept { return m_Comment; }

private:
    template <typename Action>
    void Guarded(Action&& action);
    void StopPlayback();
    void LoadSong(const std::filesystem::path& path);
    [[nodiscard]] std::filesystem::path PlayTarget() const;

    PlaybackEngine& m_Engine;
    UserDialogs& m_Dialogs;
    SongView& m_View;
    std::filesystem::path m_FallbackFolder;

    CMidi m_Midi{1, 480};
    std::filesystem::path m_PlayFile;
    std::optional<std::filesystem::path> m_WrittenPlayFile;
    std::u16string m_Title;
    std::u16string m_CopyRight;
    std::u16string m_Comment;
    bool m_TornDown = false;
};

// Sends the playback engine's messages to the user as warnings.
class DialogMessageSink final : public MessageSink {
public:
    explicit DialogMessageSink(UserDialogs& dialogs) : m_Dialogs(dialogs) {}
    void Warn(std::string_view text) override { m_Dialogs.ShowWarning(text); }

private:
    UserDialogs& m_Dialogs;
};

}  // namespace tamsel::app
