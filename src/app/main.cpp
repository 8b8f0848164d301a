#include "app/tamsel_app.h"
#include "playback/system_synthesizer.h"

int main(int argc, char** argv)
{
    tamsel::QuietSynthesizerLibraries();
    tamsel::app::CTamselApp application(argc, argv);
    return application.InitInstance([]() -> std::unique_ptr<tamsel::SynthesizerApi> {
        return tamsel::MakeSystemSynthesizer();
    });
}
