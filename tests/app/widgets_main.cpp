#include <cstdio>

#include <QApplication>
#include <gmock/gmock.h>

#include "playback/system_synthesizer.h"

namespace {

QtMessageHandler g_StandardHandler = nullptr;

// The offscreen platform warns that it cannot resize to fit; nothing to act on.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("propagateSizeHints"))) return;
    if (g_StandardHandler != nullptr) {
        g_StandardHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

}  // namespace

// Real widgets on the offscreen platform: no display is needed.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // One test runs the real synthesizer stack; keep JACK's chatter out of the log.
    tamsel::QuietSynthesizerLibraries();
    g_StandardHandler = qInstallMessageHandler(QuietHandler);
    QApplication application(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
