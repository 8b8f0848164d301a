#include "pellomar/decoder.h"

#include <array>
#include <limits>
#include <string>

#include "pellomar/line_events.h"
#include "pellomar/meta_text.h"
#include "pellomar/number.h"
#include "text/code_page.h"

namespace tamsel {

namespace {

constexpr std::u16string_view kValueEnd = u"\r\n";
constexpr std::size_t kLineCount = 19;
constexpr std::array<std::uint8_t, 3> kEndOfTrack{0xFF, 0x2F, 0x00};

// The header keys, then the line keys 0= to 18=.
constexpr std::array<std::u16string_view, 3 + kLineCount> kKeys{
    u"TimeBase=", u"Title=", u"Builder=", u"0=", u"1=", u"2=", u"3=", u"4=", u"5=", u"6=", u"7=", u"8=", u"9=",
    u"10=", u"11=", u"12=", u"13=", u"14=", u"15=", u"16=", u"17=", u"18="};
constexpr std::size_t kTimeBase = 0;
constexpr std::size_t kTitle = 1;
constexpr std::size_t kBuilder = 2;
constexpr std::size_t kFirstLine = 3;

// The value of every key, each as ExtractBetween(text, key, CR LF, 0) gives
// it, in one pass over the text instead of one per key: all keys end in "=",
// and a key's first occurrence is the one whose "=" comes first.
std::array<std::u16string_view, kKeys.size()> KeyValues(std::u16string_view text)
{
    constexpr std::size_t npos = std::u16string_view::npos;
    std::array<std::size_t, kKeys.size()> starts;
    starts.fill(npos);
    std::size_t missing = kKeys.size();
    for (std::size_t end = text.find(u'='); end != npos && missing > 0; end = text.find(u'=', end + 1)) {
        for (std::size_t k = 0; k < kKeys.size(); ++k) {
            const std::size_t length = kKeys[k].size();
            if (starts[k] == npos && length <= end + 1 && text.substr(end + 1 - length, length) == kKeys[k]) {
                starts[k] = end + 1 - length;
                --missing;
            }
        }
    }
    std::array<std::u16string_view, kKeys.size()> values;
    for (std::size_t k = 0; k < kKeys.size(); ++k) {
        if (starts[k] == npos) continue;
        // No key holds a CR, so the end marker cannot start inside the key.
        const std::size_t valueStart = starts[k] + kKeys[k].size();
        const std::size_t valueEnd = text.find(kValueEnd, valueStart);
        if (valueEnd != npos) values[k] = text.substr(valueStart, valueEnd - valueStart);
    }
    return values;
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
    const auto keyOf = [&lines](std::size_t line, std::size_t index) {
        return index < lines[line].Size() ? (std::uint64_t{lines[line].Tick(index)} << 8) | line : kExhausted;
    };
    std::vector<std::uint64_t> heads(lines.size());
    std::vector<std::size_t> next(lines.size(), 0);
    std::size_t total = out.size();
    for (std::size_t line = 0; line < lines.size(); ++line) {
        heads[line] = keyOf(line, 0);
        total += lines[line].Size();
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
            const std::uint32_t tick = events.Tick(index);
            events.MoveTo(index, tick - lastTick, out);
            lastTick = tick;
            key = keyOf(best, ++index);
        } while (key < second);
        next[best] = index;
        heads[best] = key;
    }
    for (LineEvents& line : lines) line.Clear();
}

// Puts `events` into track 0 after every event of the same or an earlier tick.
void InsertIntoTrack(CMidi& song, LineEvents events)
{
    if (song.Tracks().empty() || events.Empty()) return;
    std::vector<CMidiObj>& track = song.Tracks()[0].m_EventList;
    // The track's own events become the lower "line", so they win ties.
    std::array<LineEvents, 2> lines{LineEvents{}, std::move(events)};
    std::uint32_t at = 0;
    lines[0].Reserve(track.size());
    for (CMidiObj& event : track) {
        at += event.m_Delta;
        lines[0].AddEvent(at, std::move(event));
    }
    track.clear();
    MergeLines(lines, track, 0);
}

}  // namespace

void DecodePellomarText(CMidi& song, std::u16string_view text)
{
    AnsiCodePage codePage;
    MetaTextMaker texts(codePage);
    const auto values = KeyValues(text);
    const std::int32_t timeBase = ParseNumber(values[kTimeBase]);
    song.DeleteTrack();
    song.CreateTrack(1, static_cast<std::uint16_t>(timeBase));

    std::array<std::u16string_view, kLineCount> lines;
    for (std::size_t n = 0; n < kLineCount; ++n) lines[n] = values[kFirstLine + n];

    std::array<LineEvents, kLineCount> events;
    if (!lines[0].empty()) events[0] = DecodeConductorEvents(lines[0], texts);
    const std::vector<std::int32_t> stepLengths = ConductorStepLengths(lines[0]);
    for (std::size_t n = 1; n < kLineCount; ++n) {
        events[n] = DecodeChannelEvents(lines[n], stepLengths, static_cast<int>(n), texts);
    }

    std::vector<CMidiObj>& track = song.Tracks()[0].m_EventList;
    track.emplace_back(0, texts.Make(0x03, values[kTitle]));
    track.emplace_back(0, texts.Make(0x02, values[kBuilder]));
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
