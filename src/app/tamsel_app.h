#pragma once

#include <functional>
#include <memory>

#include <QApplication>
#include <QTranslator>

namespace tamsel {
class SynthesizerApi;
}

namespace tamsel::app {

// The program: prepares Qt, shows the main window until it closes, and
// opens the song named on the command line.
class CTamselApp {
public:
    CTamselApp(int& argc, char** argv);

    // Reads the command line, then runs the main window modally over the
    // synthesizer that `makeSynthesizer` gives; the program's exit status.
    int InitInstance(const std::function<std::unique_ptr<SynthesizerApi>()>& makeSynthesizer);

private:
    void CloseOnTerminationSignals();

    QApplication m_Application;
    QTranslator m_QtTranslation;
    bool m_TerminationRequested = false;
};

}  // namespace tamsel::app
