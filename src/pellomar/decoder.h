#pragma once

#include <string_view>

#include "model/midi.h"

namespace tamsel {

// Turns the whole text of a Pellomar file (magic included, already in UTF-16)
// into `song`: its tracks are replaced by one track with the file's time base
// as division, holding the title and builder, the events of line 0 and of
// lines 1 to 18 in time order (line order, then left to right, at equal
// ticks) and the end of track. What cannot be read gives an empty value, 0
// or no event. Throws SongTooLarge when the texts of the song together pass
// 256 MiB (see MetaTextMaker), leaving `song` with one empty track.
void DecodePellomarText(CMidi& song, std::u16string_view text);

// The conductor pass over line 0 alone. Its events go into track 0 after
// every event of the same or an earlier tick, as CMidi::InsertMsg would put
// them; track 0 is expected in time order.
void DecodeConductorLine(CMidi& song, std::u16string_view line0);

// One channel line (1 to 18), timed by the step-length commands of `line0`;
// its events go into track 0 as DecodeConductorLine's do.
void DecodeChannelLine(CMidi& song, std::u16string_view line0, std::u16string_view line, int lineNumber);

}  // namespace tamsel
