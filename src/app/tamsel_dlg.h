#pragma once

#include <filesystem>

#include <QDialog>

#include "app/logic/tamsel_commands.h"
#include "app/logic/user_dialogs.h"

class QLineEdit;
class QMenuBar;
class QPlainTextEdit;

namespace tamsel {
class PlaybackEngine;
}

namespace tamsel::app {

// The main window: a fixed-size dialog with the menu and the song's three
// read-only texts. Its commands are TamselCommands'; closing it in any way
// runs the playback teardown.
class CTamselDlg final : public QDialog, public SongView {
    Q_OBJECT

public:
    // Runs the playback set-up before it returns, as the window opens.
    CTamselDlg(PlaybackEngine& engine, UserDialogs& dialogs, std::filesystem::path fallbackFolder,
               QWidget* parent = nullptr);
    ~CTamselDlg() override;

    [[nodiscard]] TamselCommands& Commands() noexcept { return m_Commands; }
    [[nodiscard]] QMenuBar* MenuBar() const noexcept { return m_MenuBar; }

    void ShowSongTexts(const std::u16string& title, const std::u16string& copyright,
                       const std::u16string& comment) override;

    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenu();
    void BuildFields();
    void OnAbout();
    void OnExit();

    QMenuBar* m_MenuBar = nullptr;
    QLineEdit* m_TitleField = nullptr;
    QLineEdit* m_CopyRightField = nullptr;
    QPlainTextEdit* m_CommentField = nullptr;
    TamselCommands m_Commands;
};

}  // namespace tamsel::app
