#include <array>
#include <limits>

#include "pellomar/line_events.h"
#include "pellomar/meta_text.h"
#include "pellomar/number.h"
#include "pellomar/text_search.h"

namespace tamsel {

namespace {

constexpr std::array<std::uint8_t, 7> kGeneralMidiOn{0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
constexpr std::array<std::uint8_t, 10> kXgOn{0xF0, 0x08, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
constexpr std::array<std::uint8_t, 12> kGsReset{0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};

std::uint32_t HeldTick(std::uint64_t tick) noexcept
{
    return tick > std::numeric_limits<std::uint32_t>::max() ? std::numeric_limits<std::uint32_t>::max()
                                                             : static_cast<std::uint32_t>(tick);
}

// A step length read from a field; going backwards in time has no meaning.
std::int32_t StepLength(std::int32_t field) noexcept { return field < 0 ? 0 : field; }

std::array<std::uint8_t, 6> TempoEvent(std::int32_t bpm) noexcept
{
    // 60,000,000 / bpm in double precision truncates to the same value as the
    // integer quotient for every 32-bit divisor; 0 has no quotient and gives 0.
    const auto divisor = static_cast<std::uint32_t>(bpm);
    const std::uint32_t tempo = divisor == 0 ? 0 : 60'000'000u / divisor;
    return {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(tempo >> 16), static_cast<std::uint8_t>(tempo >> 8),
            static_cast<std::uint8_t>(tempo)};
}

}  // namespace

LineEvents DecodeConductorEvents(std::u16string_view line, MetaTextMaker& texts)
{
    LineEvents events;
    ForwardFinder close(line, u"]");
    ForwardFinder colon(line, u":");
    ForwardFinder closeAfterColon(line, u"]");
    std::uint64_t tick = 0;
    std::int32_t step = 120;

    const auto emitText = [&](std::size_t bracket, std::uint8_t type) {
        const std::size_t a = colon.Find(bracket);
        std::u16string_view text;
        if (a != std::u16string_view::npos) {
            const std::size_t b = closeAfterColon.Find(a);
            if (b != std::u16string_view::npos) text = line.substr(a + 1, b - a - 1);
        }
        const auto event = texts.Make(type, text);
        events.Add(HeldTick(tick), event);
    };

    std::size_t position = 0;
    while (position < line.size()) {
        if (line[position] != u'[') {
            // "-" and "/" are steps; so is any stray character, which keeps
            // this line in step with the channel lines that walk it.
            tick += static_cast<std::uint64_t>(step);
            ++position;
            continue;
        }
        const std::size_t end = close.Find(position);
        // A "[" that is never closed does nothing and ends the line.
        if (end == std::u16string_view::npos) break;
        const char16_t sigil = line[position + 1];
        if (sigil == u'#') {
            switch (NumericField(line, position, 2, 3)) {
            case 0: events.Add(HeldTick(tick), kGeneralMidiOn); break;
            case 1: events.Add(HeldTick(tick), kXgOn); break;
            case 2: events.Add(HeldTick(tick), kGsReset); break;
            case 30: events.Add(HeldTick(tick), TempoEvent(NumericField(line, position, 5, 4))); break;
            default: break;
            }
        } else if (sigil == u'%') {
            switch (NumericField(line, position, 2, 3)) {
            case 2: emitText(position, 0x06); break;
            case 7: emitText(position, 0x01); break;
            case 18: step = StepLength(NumericField(line, position, 5, 3)); break;
            default: break;
            }
        }
        position = end + 1;
    }
    return events;
}

std::vector<std::int32_t> ConductorStepLengths(std::u16string_view line)
{
    std::vector<std::int32_t> steps;
    ForwardFinder close(line, u"]");
    std::int32_t step = 120;
    std::size_t cursor = 0;
    while (cursor < line.size()) {
        if (line[cursor] != u'[') {
            ++cursor;
        } else {
            const std::size_t end = close.Find(cursor);
            if (end == std::u16string_view::npos) {
                // An unclosed "[" is line 0's last unit and changes nothing.
                cursor = line.size();
            } else {
                // Only the exact characters "%18" count here, unlike the
                // conductor pass, which reads the command number as a field.
                if (line.substr(cursor + 1, 3) == u"%18") step = StepLength(NumericField(line, cursor, 5, 3));
                cursor = end + 1;
            }
        }
        steps.push_back(step);
    }
    return steps;
}

}  // namespace tamsel
