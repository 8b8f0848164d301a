#include "app/logic/file_filters.h"

namespace tamsel::app {

namespace {
// "*" rather than "*.*": on this system a name need not hold a dot.
constexpr const char* kAllFiles = "All Files (*)";
constexpr const char* kMidiFiles = "Standard MIDI Files (*.mid)";
}  // namespace

FileChooserRequest OpenChooserRequest()
{
    return {.filters = {"Pellomar Data Files (*.pmr)", kMidiFiles, kAllFiles},
            .defaultSuffix = {},
            .initialName = {},
            .confirmOverwrite = false};
}

FileChooserRequest SaveChooserRequest()
{
    return {.filters = {kMidiFiles, kAllFiles},
            .defaultSuffix = "mid",
            .initialName = "NoTitle",
            .confirmOverwrite = true};
}

}  // namespace tamsel::app
