#include <array>
#include <limits>
#include <stdexcept>
#include <string>

#include "pellomar/line_events.h"
#include "pellomar/meta_text.h"
#include "pellomar/number.h"
#include "pellomar/text_search.h"

namespace tamsel {

namespace {

constexpr std::size_t kMaxChordIntervals = 7;

// Row and column of each note letter, found in the rows in order 0 to 3;
// -1 for characters that are not note letters.
struct NoteLetter {
    std::int8_t row = -1;
    std::int8_t column = -1;
};

constexpr std::array<NoteLetter, 128> MakeNoteLetters()
{
    std::array<NoteLetter, 128> table{};
    constexpr std::array<std::string_view, 4> rows{"opqrstuvwxyz", "abcdefghijkl", "ABCDEFGHIJKL", "MNOPQRSTUVWX"};
    for (std::size_t row = rows.size(); row-- > 0;) {
        for (std::size_t column = 0; column < rows[row].size(); ++column) {
            table[static_cast<unsigned char>(rows[row][column])] = {static_cast<std::int8_t>(row),
                                                                   static_cast<std::int8_t>(column)};
        }
    }
    return table;
}

constexpr std::array<NoteLetter, 128> kNoteLetters = MakeNoteLetters();

std::uint32_t HeldTick(std::uint64_t tick) noexcept
{
    return tick > std::numeric_limits<std::uint32_t>::max() ? std::numeric_limits<std::uint32_t>::max()
                                                             : static_cast<std::uint32_t>(tick);
}

std::uint8_t LowByte(std::int64_t value) noexcept { return static_cast<std::uint8_t>(value & 0xFF); }

class ChannelLineDecoder {
public:
    ChannelLineDecoder(std::u16string_view line, std::span<const std::int32_t> stepLengths, std::uint8_t channel,
                       MetaTextMaker& texts)
        : m_Line(line), m_StepLengths(stepLengths), m_Channel(channel), m_Texts(texts), m_Close(line, u"]"),
          m_Colon(line, u":"), m_CloseAfterColon(line, u"]"), m_ChordStart(line, u"[%10:"), m_CloseAfterChord(line, u"]")
    {
    }

    LineEvents Run()
    {
        // Busy lines give about one event per character; growing from there
        // costs at most one reallocation for the busiest.
        m_Events.Reserve(m_Line.size());
        std::size_t unit = 0;
        while (m_Position < m_Line.size()) {
            // Unit k of this line pairs with unit k of line 0; once line 0
            // runs out the last step length stays in force.
            if (unit < m_StepLengths.size()) m_Step = m_StepLengths[unit];
            ++unit;
            if (!DecodeUnit()) break;
        }
        if (m_Sounding) Release();
        return std::move(m_Events);
    }

private:
    // Returns false when the unit ends the line (a "[" that is never closed).
    bool DecodeUnit()
    {
        const char16_t c = m_Line[m_Position];
        if (c == u'-') {
            Advance();
            return true;
        }
        if (c == u'[') {
            const std::size_t end = m_Close.Find(m_Position);
            if (end == std::u16string_view::npos) return false;
            DecodeCommand(m_Position);
            m_Position = end + 1;
            return true;
        }
        if (m_Sounding) Release();
        if (c < kNoteLetters.size() && kNoteLetters[c].row >= 0) Strike(kNoteLetters[c]);
        Advance();
        return true;
    }

    void Advance()
    {
        m_Tick += static_cast<std::uint64_t>(m_Step);
        ++m_Position;
    }

    void Strike(NoteLetter letter)
    {
        const std::int64_t root = 12 * (std::int64_t{m_Octave} + letter.row) + letter.column;
        m_Notes[0] = LowByte(root);
        for (std::size_t i = 1; i <= m_ChordCount; ++i) m_Notes[i] = LowByte(root + m_Intervals[i]);
        for (std::size_t i = 0; i <= m_ChordCount; ++i) NoteOn(m_Notes[i]);
        m_Sounding = true;
    }

    void Release()
    {
        for (std::size_t i = 0; i <= m_ChordCount; ++i) NoteOff(m_Notes[i]);
        m_Sounding = false;
    }

    void DecodeCommand(std::size_t bracket)
    {
        const char16_t sigil = m_Line[bracket + 1];
        if (sigil == u'#') {
            if (NumericField(m_Line, bracket, 2, 3) == 31) {
                const auto value = static_cast<std::uint32_t>(NumericField(m_Line, bracket, 5, 5));
                Emit({static_cast<std::uint8_t>(0xE0 | m_Channel), static_cast<std::uint8_t>(value & 0x7F),
                      static_cast<std::uint8_t>((value >> 7) & 0x7F)});
            }
        } else if (sigil == u'$') {
            ControlChange(bracket);
        } else if (sigil == u'%') {
            switch (NumericField(m_Line, bracket, 2, 3)) {
            case 3: Emit({static_cast<std::uint8_t>(0xC0 | m_Channel), LowByte(NumericField(m_Line, bracket, 4, 3))}); break;
            case 4: m_Octave = NumericField(m_Line, bracket, 4, 1); break;
            case 5: m_Velocity = NumericField(m_Line, bracket, 4, 3); break;
            case 7: TextEvent(bracket); break;
            case 10: DefineChord(bracket); break;
            case 11: ClearChord(); break;
            default: break;
            }
        }
    }

    void ControlChange(std::size_t bracket)
    {
        const std::int32_t controller = NumericField(m_Line, bracket, 2, 3);
        // The value follows the first ":" wherever it stands; with no ":" to
        // the end of the line there is no value field, and the value is 0.
        const std::size_t colon = m_Colon.Find(bracket);
        const std::int32_t value = colon == std::u16string_view::npos ? 0 : NumericField(m_Line, colon, 1, 3);
        Emit({static_cast<std::uint8_t>(0xB0 | m_Channel), LowByte(controller), LowByte(value)});
    }

    void TextEvent(std::size_t bracket)
    {
        const std::size_t a = m_Colon.Find(bracket);
        std::u16string_view text;
        if (a != std::u16string_view::npos) {
            const std::size_t b = m_CloseAfterColon.Find(a);
            if (b != std::u16string_view::npos) text = m_Line.substr(a + 1, b - a - 1);
        }
        const auto event = m_Texts.Make(0x01, text);
        m_Events.Add(HeldTick(m_Tick), event);
    }

    void DefineChord(std::size_t bracket)
    {
        constexpr std::u16string_view kStart = u"[%10:";
        std::u16string_view list;
        const std::size_t a = m_ChordStart.Find(bracket);
        if (a != std::u16string_view::npos) {
            const std::size_t b = m_CloseAfterChord.Find(a);
            if (b != std::u16string_view::npos) list = m_Line.substr(a + kStart.size(), b - a - kStart.size());
        }
        if (m_Sounding) {
            for (std::size_t i = 1; i <= m_ChordCount; ++i) NoteOff(m_Notes[i]);
        }
        // Every [%10] before a list finds that same list; it is read once,
        // however long it is.
        if (a != m_ParsedListStart || a == std::u16string_view::npos) {
            m_ParsedListStart = a;
            ParseChordList(list);
        }
        m_ChordCount = m_ParsedCount;
        m_Intervals = m_ParsedIntervals;
        if (m_Sounding) {
            for (std::size_t k = 1; k <= m_ChordCount; ++k) {
                m_Notes[k] = LowByte(std::int64_t{m_Notes[0]} + m_Intervals[k]);
                NoteOn(m_Notes[k]);
            }
        }
    }

    // Runs of "," and " " separate the tokens; tokens past the seventh have
    // no room in the chord and are ignored.
    void ParseChordList(std::u16string_view list)
    {
        m_ParsedCount = 0;
        std::size_t i = 0;
        while (m_ParsedCount < kMaxChordIntervals) {
            while (i < list.size() && (list[i] == u',' || list[i] == u' ')) ++i;
            if (i == list.size()) break;
            const std::size_t tokenStart = i;
            while (i < list.size() && list[i] != u',' && list[i] != u' ') ++i;
            m_ParsedIntervals[++m_ParsedCount] = ParseNumber(list.substr(tokenStart, i - tokenStart));
        }
    }

    void ClearChord()
    {
        if (m_Sounding) {
            for (std::size_t i = 1; i <= m_ChordCount; ++i) NoteOff(m_Notes[i]);
        }
        m_ChordCount = 0;
    }

    void NoteOn(std::uint8_t note)
    {
        Emit({static_cast<std::uint8_t>(0x90 | m_Channel), note, LowByte(m_Velocity)});
    }

    void NoteOff(std::uint8_t note) { Emit({static_cast<std::uint8_t>(0x80 | m_Channel), note, 0x40}); }

    void Emit(std::initializer_list<std::uint8_t> message)
    {
        m_Events.Add(HeldTick(m_Tick), std::span<const std::uint8_t>(message.begin(), message.size()));
    }

    std::u16string_view m_Line;
    std::span<const std::int32_t> m_StepLengths;
    std::uint8_t m_Channel;
    MetaTextMaker& m_Texts;
    ForwardFinder m_Close;
    ForwardFinder m_Colon;
    ForwardFinder m_CloseAfterColon;
    ForwardFinder m_ChordStart;
    ForwardFinder m_CloseAfterChord;
    LineEvents m_Events;

    std::size_t m_Position = 0;
    std::uint64_t m_Tick = 0;
    std::int32_t m_Step = 120;
    std::int32_t m_Octave = 3;
    std::int32_t m_Velocity = 127;
    std::size_t m_ChordCount = 0;
    std::array<std::int32_t, kMaxChordIntervals + 1> m_Intervals{};  // entry 0, the root, stays 0
    bool m_Sounding = false;
    std::array<std::uint8_t, kMaxChordIntervals + 1> m_Notes{};
    std::size_t m_ParsedListStart = std::u16string_view::npos;
    std::size_t m_ParsedCount = 0;
    std::array<std::int32_t, kMaxChordIntervals + 1> m_ParsedIntervals{};
};

}  // namespace

std::uint8_t ChannelOfLine(int lineNumber)
{
    if (lineNumber < 1 || lineNumber > 18) throw std::invalid_argument("channel lines are numbered 1 to 18");
    if (lineNumber <= 9) return static_cast<std::uint8_t>(lineNumber - 1);
    if (lineNumber <= 15) return static_cast<std::uint8_t>(lineNumber);
    return 9;
}

LineEvents DecodeChannelEvents(std::u16string_view line, std::span<const std::int32_t> stepLengths, int lineNumber,
                               MetaTextMaker& texts)
{
    const std::uint8_t channel = ChannelOfLine(lineNumber);
    if (line.empty()) return {};
    return ChannelLineDecoder(line, stepLengths, channel, texts).Run();
}

}  // namespace tamsel
