#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamsel::app {

// What the open and save choosers are asked to show.
struct FileChooserRequest {
    // The type list (UTF-8), each a label with its name patterns in
    // brackets, "Standard MIDI Files (*.mid)"; the first is preselected.
    std::vector<std::string> filters;
    std::string defaultSuffix;        // appended to a typed name without one; empty: none
    std::string initialName;          // offered file name; empty: none
    bool confirmOverwrite = false;    // ask before accepting an existing file
};

// The modal parts of the user interface that the commands use. The window
// realises them with real dialogs; the tests answer and record them.
class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // The chosen file's full path, or nothing when the user cancels.
    virtual std::optional<std::filesystem::path> ChooseFileToOpen(const FileChooserRequest& request) = 0;
    virtual std::optional<std::filesystem::path> ChooseFileToSave(const FileChooserRequest& request) = 0;

    // The sound-source list, in port order with `current` selected. Gives
    // the position chosen with OK (-1 when none is selected), or nothing
    // when the user cancels.
    virtual std::optional<int> ChoosePort(const std::vector<std::u16string>& ports, int current) = 0;

    // A message of the program (UTF-8): one OK button, the warning icon.
    virtual void ShowWarning(std::string_view text) = 0;
    // An error that ended a command early (UTF-8), such as a file that
    // could not be read or deleted: one OK button, the error icon.
    virtual void ShowError(std::string_view text) = 0;
};

// Where the commands put the song's texts for the user to see.
class SongView {
public:
    virtual ~SongView() = default;
    virtual void ShowSongTexts(const std::u16string& title, const std::u16string& copyright,
                               const std::u16string& comment) = 0;
};

}  // namespace tamsel::app
