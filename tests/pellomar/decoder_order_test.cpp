#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "pellomar/decoder.h"
#include "pellomar/meta_text.h"
#include "pellomar/text_search.h"
#include "song_events.h"
#include "text/code_page.h"

namespace tamsel {
namespace {

using test::TimedEvents;

// Pieces that random lines are made of: steps, letters, stray characters and
// whole commands of both line kinds, so lines interleave at equal ticks.
const std::vector<std::string> kPieces{
    "-", "-", "-", "/", "A", "a", "o", "M", "X", "m", "[", "]", ":", ",", " ", "0", "9", "%", "#", "$",
    "[%18:060]", "[%18:030]", "[%18:000]", "[%18:1]", "[%10:4,7]", "[%10:3]", "[%11]", "[%5:100]", "[%4:2]",
    "[#30:0120]", "[%2:m]", "[%7:t]", "[$7:64]", "[#31:8192]", "[#0]", "[%3:5]", "[%7:", "[#1]"};

std::string RandomLine(std::mt19937& random)
{
    std::uniform_int_distribution<std::size_t> length(0, 40);
    std::uniform_int_distribution<std::size_t> piece(0, kPieces.size() - 1);
    std::string line;
    for (std::size_t n = length(random); n > 0; --n) line += kPieces[piece(random)];
    return line;
}

// The song built the plain way, one InsertMsg per event, from each line
// decoded on its own.
CMidi InsertOneByOne(std::u16string_view text)
{
    const auto value = [&](std::u16string_view key) { return ExtractBetweenView(text, key, u"\r\n", 0); };
    CMidi song(1, 480);
    AnsiCodePage codePage;
    song.AddMsgTail(0, 0, MetaTextEvent(0x03, codePage.Encode(value(u"Title="))));
    song.AddMsgTail(0, 0, MetaTextEvent(0x02, codePage.Encode(value(u"Builder="))));
    const std::u16string_view line0 = value(u"0=");
    for (int n = 0; n <= 18; ++n) {
        const std::string key = std::to_string(n) + "=";
        CMidi line(1, 480);
        if (n == 0) {
            DecodeConductorLine(line, line0);
        } else {
            DecodeChannelLine(line, line0, value(Utf8ToUtf16(key)), n);
        }
        std::uint32_t tick = 0;
        for (const CMidiObj& event : line.Tracks()[0].m_EventList) {
            tick += event.m_Delta;
            song.InsertMsg(tick, 0, event.Data());
        }
    }
    song.AddMsgTail(0, 0, std::vector<std::uint8_t>{0xFF, 0x2F, 0x00});
    return song;
}

TEST(PellomarDecoder, MergedLinesMatchInsertingEachEvent)
{
    std::mt19937 random(20261211);
    for (int round = 0; round < 300; ++round) {
        std::string text = "PLMR\r\nTitle=t\r\nBuilder=b\r\n";
        for (int n = 0; n <= 18; ++n) text += std::to_string(n) + "=" + RandomLine(random) + "\r\n";
        const std::u16string wide = Utf8ToUtf16(text);
        SCOPED_TRACE(text);
        CMidi decoded;
        DecodePellomarText(decoded, wide);
        ASSERT_EQ(TimedEvents(decoded), TimedEvents(InsertOneByOne(wide)));
    }
}

}  // namespace
}  // namespace tamsel
