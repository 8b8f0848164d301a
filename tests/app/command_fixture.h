#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

#include "app/logic/tamsel_commands.h"
#include "playback/playback_engine.h"
#include "playback/recording_synthesizer.h"
#include "scripted_dialogs.h"
#include "support/temp_folder.h"

namespace tamsel::app::test {

using tamsel::test::TempFolder;

// Three ports; the second matches the default port rule.
inline RecordingSynthesizer ThreePortSynthesizer()
{
    RecordingSynthesizer synth;
    synth.ports = {{u"Port A", "port-a"}, {u"Microsoft MIDI Mapper", "port-b"}, {u"Port C", "port-c"}};
    return synth;
}

}  // namespace tamsel::app::test
