#include "playback/jack_probe.h"

#include <jack/jack.h>

namespace tamsel {

bool JackServerRuns()
{
    jack_status_t status{};
    jack_client_t* client = jack_client_open("tamsel-probe", JackNoStartServer, &status);
    if (!client) return false;
    jack_client_close(client);
    return true;
}

}  // namespace tamsel
