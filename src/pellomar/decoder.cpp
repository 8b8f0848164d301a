#include "pellomar/decoder.h"

#include <array>
#include <cstdio>
#include <limits>
#include <string>

#include "pellomar/line_events.h"
#include "pellomar/meta_text.h"
#include "pellomar/number.h"
#include "pellomar/text_search.h"
#include "text/code_page.h"

namespace tamsel {

namespace {

constexpr std::u16string_view kValueEnd = u"\r\n";
constexpr std::size_t kLineCount = 19;
constexpr std::array<std::uint8_t, 3> kEndOfTrack{0xFF, 0x2F, 0x00};

std::u16string_view KeyValue(std::u16string_view text, std::u16string_view key)
{
    return ExtractBetweenView(text, key, kValueEnd, 0);
}

std::u16string LineKey(std::size_t line)
{
    const std::string key = std::to_string(line) + "=";
    return {key.begin(), key.end()};
}

// Appends the events of all lines to `out` in time order, taking at equal
// ticks the lower line first and keeping each line's own order: the order
// that inserting line after line at each event's tick gives. `lastTick` is
// the tick of the last event already in `out`; the moved events get deltas.
void MergeLines(std::span<LineEvents> lines, std::vector<CMidiObj>& out, std::uint32_t lastTick)
{
    constexpr std::uint64_t kExhausted = std::numeric_limits<std::uint64_t>::max();
    // An event's key is its tick above its line's index, so the smallest key
    // is the next event, ties going to the lower line.
    const auto keyOf = [](const CMidiObj& event, std::size_t line) {
        return (std::uint64_t{event.m_Delta} << 8) | line;
    };
    std::vector<std::uint64_t> heads(lines.size(), kExhausted);
    std::vector<std::size_t> next(lines.size(), 0);
    std::size_t total = out.size();
    for (std::size_t line = 0; line < lines.size(); ++line) {
        if (!lines[line].empty()) heads[line] = keyOf(lines[line].front(), line);
        total += lines[line].size();
    }
    out.reserve(total + 1);
    for (;;) {
        // The line with the smallest key, and the smallest key of the others:
        // the best line's events go out in one run until they pass it.
        std::size_t best = 0;
        std::uint64_t second = kExhausted;
        for (std::size_t line = 1; line < heads.size(); ++line) {
            if (heads[line] < heads[best]) {
                second = heads[best];
                best = line;
            } else if (heads[line] < second) {
                second = heads[line];
            }
        }
        if (heads[best] == kExhausted) break;
        LineEvents& events = lines[best];
        std::size_t index = next[best];
        std::uint64_t key = heads[best];
        do {
            CMidiObj& event = events[index];
            const std::uint32_t tick = event.m_Delta;
            event.m_Delta = tick - lastTick;
            lastTick = tick;
            out.push_back(std::move(event));
            ++index;
            key = index < events.size() ? keyOf(events[index], best) : kExhausted;
        } while (key < second);
        next[best] = index;
        heads[best] = key;
    }
    for (LineEvents& line : lines) LineEvents().swap(line);
}

// Puts `events` into track 0 after every event of the same or an earlier tick.
void InsertIntoTrack(CMidi& song, LineEvents events)
{
    if (song.Tracks().empty() || events.empty()) return;
    std::vector<CMidiObj>& track = song.Tracks()[0].m_EventList;
    // The track's own events become the lower "line", so they win ties.
    std::array<LineEvents, 2> lines{LineEvents{}, std::move(events)};
    std::uint32_t at = 0;
    lines[0].reserve(track.size());
    for (CMidiObj& event : track) {
        at += event.m_Delta;
        event.m_Delta = at;
        lines[0].push_back(std::move(event));
    }
    track.clear();
    MergeLines(lines, track, 0);
}

}  // namespace

void DecodePellomarText(CMidi& song, std::u16string_view text)
{
    AnsiCodePage codePage;
    MetaTextMaker texts(codePage);
    const std::int32_t timeBase = ParseNumber(KeyValue(text, u"TimeBase="));
    song.DeleteTrack();
    song.CreateTrack(1, static_cast<std::uint16_t>(timeBase));

    std::array<std::u16string_view, kLineCount> lines;
    for (std::size_t n = 0; n < kLineCount; ++n) lines[n] = KeyValue(text, LineKey(n));

    std::array<LineEvents, kLineCount> events;
    if (!lines[0].empty()) events[0] = DecodeConductorEvents(lines[0], texts);
    const std::vector<std::int32_t> stepLengths = ConductorStepLengths(lines[0]);
    for (std::size_t n = 1; n < kLineCount; ++n) {
        events[n] = DecodeChannelEvents(lines[n], stepLengths, static_cast<int>(n), texts);
    }

    std::vector<CMidiObj>& track = song.Tracks()[0].m_EventList;
    track.emplace_back(0, texts.Make(0x03, KeyValue(text, u"Title=")));
    track.emplace_back(0, texts.Make(0x02, KeyValue(text, u"Builder=")));
    MergeLines(events, track, 0);
    track.emplace_back(0, kEndOfTrack);
}

void DecodeConductorLine(CMidi& song, std::u16string_view line0)
{
    AnsiCodePage codePage;
    MetaTextMaker texts(codePage);
    InsertIntoTrack(song, DecodeConductorEvents(line0, texts));
}

void DecodeChannelLine(CMidi& song, std::u16string_view line0, std::u16string_view line, int lineNumber)
{
    AnsiCodePage codePage;
    MetaTextMaker texts(codePage);
    const std::vector<std::int32_t> stepLengths = ConductorStepLengths(line0);
    InsertIntoTrack(song, DecodeChannelEvents(line, stepLengths, lineNumber, texts));
}

}  // namespace tamsel
