#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "model/diagnostics.h"
#include "model/midi.h"

namespace tamsel {

class CArchive;

// Reads a Standard MIDI File held in memory into `song`, replacing its tracks
// and, when the header chunk is sound, its header values. Faults go to
// `diagnostics`, each distinct fault once, in the order first met; reading
// goes on after each and leaves whatever could be read. Never reads outside
// `bytes` and never allocates more than `bytes` can describe.
void ReadStandardMidi(std::span<const std::uint8_t> bytes, CMidi& song, DiagnosticsSink& diagnostics);

// Writes `song` as a Standard MIDI File: the header chunk, then one track
// chunk per track, every event with its own status byte. A track that does
// not end with an end-of-track event gets one at delta 0.
void WriteStandardMidi(const CMidi& song, CArchive& archive);
// The same, into memory.
[[nodiscard]] std::string WriteStandardMidi(const CMidi& song);

}  // namespace tamsel
