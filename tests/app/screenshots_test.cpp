// Pictures of the real windows under an X server, for a person to look at:
// the main window with a song loaded, the sound-source dialog and the About
// box, saved as PNGs in the build folder.
#include <cstdlib>
#include <filesystem>
#include <memory>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QImage>
#include <QPixmap>
#include <QTranslator>
#include <QWindow>
#include <gtest/gtest.h>

#include "app/about_dlg.h"
#include "app/port_set_dlg.h"
#include "app/qt_translation.h"
#include "app/qt_user_dialogs.h"
#include "app/tamsel_dlg.h"
#include "command_fixture.h"
#include "modal_answer.h"
#include "song_files.h"
#include "xvfb_server.h"

namespace tamsel::app::test {
namespace {

const std::filesystem::path kFolder = TAMSEL_SCREENSHOT_DIR;

void WaitUntilDrawn(QWidget& widget)
{
    widget.show();
    widget.raise();
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 5000 && !(widget.windowHandle() && widget.windowHandle()->isExposed()))
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    for (int round = 0; round < 10; ++round) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Saves what `widget` shows and checks that it is a picture with something
// drawn in it: more than one colour.
void Save(QWidget& widget, const char* name)
{
    WaitUntilDrawn(widget);
    const QImage image = widget.grab().toImage();
    ASSERT_FALSE(image.isNull()) << name;
    EXPECT_EQ(image.size(), widget.size() * widget.devicePixelRatio()) << name;
    const QRgb first = image.pixel(0, 0);
    bool varied = false;
    for (int y = 0; y < image.height() && !varied; ++y)
        for (int x = 0; x < image.width() && !varied; ++x) varied = image.pixel(x, y) != first;
    EXPECT_TRUE(varied) << name << " is blank";
    std::filesystem::create_directories(kFolder);
    const auto path = kFolder / name;
    EXPECT_TRUE(image.save(QString::fromStdString(path.string()), "PNG")) << path;
}

TEST(Screenshots, MainWindowPortDialogAndAboutBox)
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    TempFolder folder;
    RecordingSynthesizer synth;
    synth.ports = {{u"内蔵ソフトウェア音源 (FluidSynth)", "builtin"},
                   {u"Midi Through:Midi Through Port-0 14:0", "through"},
                   {u"USB MIDI Interface:MIDI 1 20:0", "usb"}};
    ScriptedDialogs dialogs;
    DialogMessageSink messages(dialogs);
    PlaybackEngine engine(synth, messages);
    CTamselDlg window(engine, dialogs, folder.Path());

    const auto song = folder / "夜想曲.pmr";
    WriteBytes(song, PellomarFile(u"TimeBase=480\r\nTitle=夜想曲 第2番 変ホ長調\r\nBuilder=山田 太郎 (Pellomar 1.2)\r\n"
                                  u"Comment=ピアノ独奏曲をPellomarで打ち込みました。\\r\\n"
                                  u"テンポ=72、右手は1～6行、左手は7～12行です。\\r\\n\\r\\n"
                                  u"Chopin: Nocturne Op.9 No.2 in E-flat major\r\n"));
    dialogs.openAnswers.push_back(song);
    window.Commands().OnOpen();
    ASSERT_TRUE(dialogs.warnings.empty());
    Save(window, "main-window.png");

    QStringList ports;
    for (const auto& port : engine.PortDescriptions())
        ports << QString::fromUtf16(port.data(), static_cast<qsizetype>(port.size()));
    CPortSetDlg portDialog(ports, engine.PortIndex(), &window);
    Save(portDialog, "port-dialog.png");
    portDialog.reject();

    CAboutDlg about(&window);
    Save(about, "about-box.png");
    about.reject();

    QtUserDialogs real(&window);
    ModalAnswer<QFileDialog> chooser([](QFileDialog& dialog) {
        Save(dialog, "save-chooser.png");
        dialog.reject();
    });
    real.ChooseFileToSave({{"Standard MIDI Files (*.mid)", "All Files (*)"}, "mid", "NoTitle", true});
    EXPECT_TRUE(chooser.Answered());
    window.Commands().TearDown();
}

}  // namespace
}  // namespace tamsel::app::test

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    tamsel::app::test::XvfbServer server;
    if (server.Display().empty()) {
        std::fprintf(stderr, "%s\n", server.Error().c_str());
        return 1;
    }
    ::setenv("DISPLAY", server.Display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    int result = 0;
    {
        QApplication application(argc, argv);
        QTranslator translation;
        if (tamsel::app::LoadQtTranslation(translation)) QApplication::installTranslator(&translation);
        result = RUN_ALL_TESTS();
    }
    return result;
}
