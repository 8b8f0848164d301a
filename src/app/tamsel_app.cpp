#include "app/tamsel_app.h"

#include <array>
#include <csignal>
#include <filesystem>

#include <sys/socket.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>

#include "app/app_icon.h"
#include "app/logic/tamsel_commands.h"
#include "app/qt_translation.h"
#include "app/qt_user_dialogs.h"
#include "app/tamsel_dlg.h"
#include "playback/playback_engine.h"
#include "playback/synthesizer_api.h"

namespace tamsel::app {

namespace {

// A termination signal closes the windows the ordinary way, so the teardown
// still stops the sound and removes the playback file. The handler may only
// write to a socket; the event loop reads the other end.
std::array<int, 2> g_SignalSockets{-1, -1};

void OnTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_SignalSockets[0], &byte, 1);
}

}  // namespace

void CTamselApp::CloseOnTerminationSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_SignalSockets.data()) != 0) return;
    auto* notifier = new QSocketNotifier(g_SignalSockets[1], QSocketNotifier::Read, &m_Application);
    QObject::connect(notifier, &QSocketNotifier::activated, &m_Application, [this] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(g_SignalSockets[1], &byte, 1);
        m_TerminationRequested = true;
        // Message boxes and choosers end as cancelled; the main window's
        // closing runs the teardown.
        QApplication::closeAllWindows();
    });
    struct sigaction action{};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

namespace {

// Where the playback file goes when the song's folder cannot take it.
std::filesystem::path FallbackFolder()
{
    // Without XDG_RUNTIME_DIR Qt would make up a folder of its own; the
    // temporary folder is the plainer choice then.
    QString folder;
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return QFile::encodeName(folder).toStdString();
}

}  // namespace

CTamselApp::CTamselApp(int& argc, char** argv) : m_Application(argc, argv)
{
    QApplication::setApplicationName("Tamsel");
    QApplication::setApplicationVersion("1.001");
    QApplication::setDesktopFileName("tamsel");
    QApplication::setWindowIcon(AppIcon());
    if (LoadQtTranslation(m_QtTranslation)) QApplication::installTranslator(&m_QtTranslation);
    CloseOnTerminationSignals();
}

int CTamselApp::InitInstance(const std::function<std::unique_ptr<SynthesizerApi>()>& makeSynthesizer)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("Plays Pellomar data files and Standard MIDI Files and converts them to SMF.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("file", "A Pellomar file (.pmr) or Standard MIDI File (.mid) to open.", "[file]");
    parser.process(m_Application);

    const std::unique_ptr<SynthesizerApi> synthesizer = makeSynthesizer();
    QtUserDialogs dialogs;
    DialogMessageSink messages(dialogs);
    PlaybackEngine engine(*synthesizer, messages);
    CTamselDlg window(engine, dialogs, FallbackFolder());
    dialogs.SetParent(&window);
    // A signal during the set-up's message box comes before the window runs.
    if (m_TerminationRequested) {
        window.Commands().TearDown();
        return 0;
    }

    if (!parser.positionalArguments().isEmpty()) {
        const QString given = QFileInfo(parser.positionalArguments().first()).absoluteFilePath();
        const std::filesystem::path song = QFile::encodeName(given).toStdString();
        QTimer::singleShot(0, &window, [&window, song] { window.Commands().OpenFile(song); });
    }
    window.exec();
    return 0;
}

}  // namespace tamsel::app
