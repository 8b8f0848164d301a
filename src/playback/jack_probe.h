#pragma once

namespace tamsel {

// Whether a JACK server is running, asked without starting one: both
// FluidSynth's JACK driver and RtMidi's JACK backend would otherwise start a
// server of their own, or warn on the terminal when none runs.
[[nodiscard]] bool JackServerRuns();

}  // namespace tamsel
