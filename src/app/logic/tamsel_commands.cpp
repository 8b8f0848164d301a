#include "app/logic/tamsel_commands.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <unistd.h>

#include "app/logic/file_filters.h"
#include "songfile/play_file_name.h"
#include "app/logic/ui_texts.h"
#include "io/file.h"
#include "model/diagnostics.h"
#include "playback/playback_engine.h"
#include "songfile/song_file.h"

namespace tamsel::app {

namespace {

// Keeps each distinct fault text once, in the order met.
class DistinctFaults final : public DiagnosticsSink {
public:
    void Report(const Diagnostic& diagnostic) override
    {
        const std::string_view text = FaultText(diagnostic.fault);
        if (std::find(m_Texts.begin(), m_Texts.end(), text) == m_Texts.end()) m_Texts.push_back(text);
    }
    [[nodiscard]] const std::vector<std::string_view>& Texts() const noexcept { return m_Texts; }

private:
    std::vector<std::string_view> m_Texts;
};

// A file that could not be opened or created at all, as opposed to one that
// failed part-way through; the file layer names the step first.
bool IsOpenFailure(const FileError& error)
{
    const std::string_view what = error.what();
    return what.starts_with("cannot open ") || what.starts_with("cannot create ");
}

// Whether a file can be created in `path`'s folder. Asked without creating
// anything, so that no file already there is emptied by the question.
bool FolderTakesFiles(const std::filesystem::path& path)
{
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace

TamselCommands::TamselCommands(PlaybackEngine& engine, UserDialogs& dialogs, SongView& view,
                               std::filesystem::path fallbackFolder)
    : m_Engine(engine),
      m_Dialogs(dialogs),
      m_View(view),
      m_FallbackFolder(std::move(fallbackFolder)),
      m_PlayFile(kInitialPlayFile)
{
}

TamselCommands::~TamselCommands()
{
    if (m_TornDown) return;
    m_TornDown = true;
    try {
        m_Engine.TearDown(PlayTarget());
    } catch (...) {
        // Nobody is left to tell; the engine has done what it could.
    }
}

// Errors that end a command are shown and the program goes on. Programming
// errors (std::logic_error) are not caught.
template <typename Action>
void TamselCommands::Guarded(Action&& action)
{
    // A command queued before the window closed finds playback gone.
    if (m_TornDown) return;
    try {
        std::forward<Action>(action)();
    } catch (const std::runtime_error& error) {
        m_Dialogs.ShowError(error.what());
    } catch (const std::bad_alloc&) {
        m_Dialogs.ShowError("メモリが不足しています。");
    }
}

std::filesystem::path TamselCommands::PlayTarget() const { return m_WrittenPlayFile.value_or(m_PlayFile); }

void TamselCommands::StopPlayback()
{
    m_Engine.OnStop(PlayTarget());
    m_WrittenPlayFile.reset();
}

void TamselCommands::StartUp()
{
    Guarded([&] { m_Engine.SetUp(); });
}

void TamselCommands::OnOpen()
{
    Guarded([&] {
        StopPlayback();
        const auto path = m_Dialogs.ChooseFileToOpen(OpenChooserRequest());
        if (!path) return;
        LoadSong(*path);
    });
}

void TamselCommands::OpenFile(const std::filesystem::path& path)
{
    Guarded([&] {
        StopPlayback();
        LoadSong(path);
    });
}

void TamselCommands::LoadSong(const std::filesystem::path& path)
{
    // The new name stands whatever happens to the file afterwards.
    m_PlayFile = PlayFileFor(path);

    // Load into fresh values so that a file error part-way leaves the song
    // and texts of before; the comment carries over into an SMF.
    CMidi loaded(1, 480);
    SongTexts texts{m_Title, m_CopyRight, m_Comment};
    DistinctFaults faults;
    SongKind kind = SongKind::Neither;
    try {
        kind = OpenSongFile(path, loaded, texts, faults);
    } catch (const FileError& error) {
        if (!IsOpenFailure(error)) throw;
        m_Dialogs.ShowWarning(kOpenFailedText);
        return;
    }
    for (const std::string_view text : faults.Texts()) m_Dialogs.ShowWarning(text);
    if (kind != SongKind::Neither) {
        m_Midi = std::move(loaded);
        m_Title = std::move(texts.title);
        m_CopyRight = std::move(texts.copyright);
        m_Comment = std::move(texts.comment);
    }
    m_View.ShowSongTexts(m_Title, m_CopyRight, m_Comment);
}

void TamselCommands::OnSaveSmf()
{
    Guarded([&] {
        StopPlayback();
        const auto path = m_Dialogs.ChooseFileToSave(SaveChooserRequest());
        if (!path) return;
        try {
            SaveStandardMidiFile(m_Midi, *path);
        } catch (const FileError& error) {
            if (!IsOpenFailure(error)) throw;
            m_Dialogs.ShowWarning(kOpenFailedText);
        }
    });
}

void TamselCommands::OnPlay()
{
    Guarded([&] {
        StopPlayback();
        std::filesystem::path target = m_PlayFile;
        // A song on read-only media still plays: its playback file goes to
        // the fallback folder instead.
        if (!FolderTakesFiles(target) && !m_FallbackFolder.empty())
            target = FallbackPlayFile(m_PlayFile, m_FallbackFolder, static_cast<long>(::getpid()));
        m_WrittenPlayFile = target;
        m_Engine.OnPlay(m_Midi, target);
    });
}

void TamselCommands::OnStop()
{
    Guarded([&] { StopPlayback(); });
}

void TamselCommands::OnPortSetting()
{
    Guarded([&] {
        StopPlayback();
        const int current = m_Engine.PortIndex();
        const auto chosen = m_Dialogs.ChoosePort(m_Engine.PortDescriptions(), current);
        // OK with nothing selected counts as Cancel.
        if (!chosen || *chosen < 0 || *chosen == current) return;
        m_Engine.SwitchPort(*chosen);
    });
}

void TamselCommands::OnExit()
{
    Guarded([&] { StopPlayback(); });
}

void TamselCommands::TearDown()
{
    Guarded([&] {
        m_TornDown = true;
        m_Engine.TearDown(PlayTarget());
        m_WrittenPlayFile.reset();
    });
    m_TornDown = true;
}

}  // namespace tamsel::app
