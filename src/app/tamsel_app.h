#pragma once

#include <QApplication>

namespace tamsel {
class SynthesizerApi;
}

namespace tamsel::app {

// The program: prepares Qt, shows the main window until it closes, and
// opens the song named on the command line.
class CTamselApp {
public:
    CTamselApp(int& argc, char** argv);

    // Runs the main window modally; the program's exit status.
    int InitInstance(SynthesizerApi& synthesizer);

private:
    QApplication m_Application;
};

}  // namespace tamsel::app
