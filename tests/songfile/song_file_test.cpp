#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "io/file.h"
#include "model/smf_codec.h"
#include "songfile/song_file.h"
#include "support/temp_folder.h"

namespace tamsel {
namespace {

using namespace std::literals;

std::vector<std::string> TimedEvents(const CMidi& song)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::vector<std::string> out;
    std::uint64_t tick = 0;
    for (const CMidiObj& event : song.Tracks()[0].m_EventList) {
        tick += event.m_Delta;
        std::string line = std::to_string(tick) + ":";
        for (const std::uint8_t byte : event.Data()) line += {' ', kDigits[byte >> 4], kDigits[byte & 15]};
        out.push_back(std::move(line));
    }
    return out;
}

std::span<const std::uint8_t> Bytes(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

struct KindCase {
    const char* name;
    std::string bytes;
    SongKind kind;
};

void PrintTo(const KindCase& c, std::ostream* out) { *out << c.name; }

class DetectSongKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(DetectSongKindTest, Detects) { EXPECT_EQ(DetectSongKind(Bytes(GetParam().bytes)), GetParam().kind); }

INSTANTIATE_TEST_SUITE_P(SongFile, DetectSongKindTest,
                         ::testing::Values(KindCase{"Smf", "MThd\0\0\0\6"s, SongKind::StandardMidi},
                                           KindCase{"Pellomar", "PLMR\r\n", SongKind::Pellomar},
                                           KindCase{"MagicAlone", "PLMR", SongKind::Pellomar},
                                           KindCase{"TooShort", "PLM", SongKind::Neither},
                                           KindCase{"Empty", "", SongKind::Neither},
                                           KindCase{"CaseMatters", "plmr", SongKind::Neither},
                                           KindCase{"Text", "hello", SongKind::Neither},
                                           KindCase{"MagicNotAtStart", " PLMR", SongKind::Neither}));

class SongFileTest : public ::testing::Test {
protected:
    test::TempFolder m_Temp;
    const std::filesystem::path m_Folder = m_Temp.Path();

    std::filesystem::path Write(const std::string& name, std::string_view bytes) const
    {
        const std::filesystem::path path = m_Folder / name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    static std::string Read(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    CMidi m_Song{1, 480};
    SongTexts m_Texts{u"old title", u"old copyright", u"old comment"};
    CollectingDiagnostics m_Faults;
};

TEST_F(SongFileTest, PellomarTextsAndSongKeepCp932Bytes)
{
    // 曲 is 8B C8 and 作者 is 8D EC 8E D2 in CP932.
    const auto path = Write("tune.pmr", "PLMR\r\nTimeBase=96\r\nTitle=\x8B\xC8\r\nBuilder=\x8D\xEC\x8E\xD2\r\n"
                                        "Comment=a\\r\\nb\r\n0=[#30:0120]\r\n1=A\r\n");
    EXPECT_EQ(OpenSongFile(path, m_Song, m_Texts, m_Faults), SongKind::Pellomar);
    EXPECT_EQ(m_Texts.title, u"曲");
    EXPECT_EQ(m_Texts.copyright, u"作者");
    EXPECT_EQ(m_Texts.comment, u"a\r\nb");
    EXPECT_TRUE(m_Faults.Empty());
    EXPECT_EQ(m_Song.m_Header.m_Division, 96);
    EXPECT_EQ(TimedEvents(m_Song), (std::vector<std::string>{"0: FF 03 02 8B C8", "0: FF 02 04 8D EC 8E D2",
                                                             "0: FF 51 03 07 A1 20", "0: 90 3C 7F", "120: 80 3C 40",
                                                             "120: FF 2F 00"}));
}

TEST_F(SongFileTest, PellomarWithoutTitleShowsFileName)
{
    const auto path = Write("my tune.pmr", "PLMR\r\n1=A\r\n");
    EXPECT_EQ(OpenSongFile(path, m_Song, m_Texts, m_Faults), SongKind::Pellomar);
    EXPECT_EQ(m_Texts.title, u"my tune.pmr");
    EXPECT_EQ(m_Texts.copyright, u"");
    EXPECT_EQ(m_Texts.comment, u"");
    EXPECT_EQ(TimedEvents(m_Song).front(), "0: FF 03 00");
}

TEST_F(SongFileTest, NulByteHidesTheRest)
{
    const auto path = Write("tune.pmr", "PLMR\r\nTitle=a\r\n\0Builder=b\r\n1=A\r\n"s);
    OpenSongFile(path, m_Song, m_Texts, m_Faults);
    EXPECT_EQ(m_Texts.copyright, u"");
    EXPECT_EQ(TimedEvents(m_Song), (std::vector<std::string>{"0: FF 03 01 61", "0: FF 02 00", "0: FF 2F 00"}));
}

// A broken byte becomes one U+FFFD, a rest; the "-" after it stays a tie.
TEST_F(SongFileTest, InvalidBytesBecomeOneCharacterEach)
{
    const auto path = Write("tune.pmr", "PLMR\r\nTitle=\x80\r\n1=A\x81-B\r\n");
    OpenSongFile(path, m_Song, m_Texts, m_Faults);
    EXPECT_EQ(m_Texts.title, u"\uFFFD");
    EXPECT_EQ(TimedEvents(m_Song), (std::vector<std::string>{"0: FF 03 01 3F", "0: FF 02 00", "0: 90 3C 7F",
                                                             "120: 80 3C 40", "360: 90 3D 7F", "480: 80 3D 40",
                                                             "480: FF 2F 00"}));
}

TEST_F(SongFileTest, SmfTextsKeepComment)
{
    CMidi written(1, 240);
    written.AddMsgTail(0, 0, std::vector<std::uint8_t>{0xFF, 0x03, 0x02, 0x8B, 0xC8});
    written.AddMsgTail(0, 0, std::vector<std::uint8_t>{0xFF, 0x02, 0x01, 0x43});
    written.AddMsgTail(0, 0, std::vector<std::uint8_t>{0xFF, 0x2F, 0x00});
    const auto path = Write("tune.mid", WriteStandardMidi(written));
    EXPECT_EQ(OpenSongFile(path, m_Song, m_Texts, m_Faults), SongKind::StandardMidi);
    EXPECT_EQ(m_Texts.title, u"曲");
    EXPECT_EQ(m_Texts.copyright, u"C");
    EXPECT_EQ(m_Texts.comment, u"old comment");
    EXPECT_EQ(m_Song.m_Header.m_Division, 240);
    EXPECT_TRUE(m_Faults.Empty());
}

TEST_F(SongFileTest, SmfWithoutTitleShowsFileName)
{
    const auto path = Write("tune.mid", WriteStandardMidi(CMidi(1, 480)));
    OpenSongFile(path, m_Song, m_Texts, m_Faults);
    EXPECT_EQ(m_Texts.title, u"tune.mid");
    EXPECT_EQ(m_Texts.copyright, u"");
}

TEST_F(SongFileTest, SmfFaultsAreReported)
{
    // A data byte where a status byte is due, with no status before it.
    const auto path = Write("broken.mid", "MThd\0\0\0\6\0\0\0\1\1\xE0MTrk\0\0\0\4\0\x3C\x40\0"s);
    EXPECT_EQ(OpenSongFile(path, m_Song, m_Texts, m_Faults), SongKind::StandardMidi);
    ASSERT_FALSE(m_Faults.Empty());
    EXPECT_EQ(m_Faults.Reports().front().fault, ReadFault::ReadFailed);
    EXPECT_EQ(DiagnosticMessage(m_Faults.Reports().front()).rfind("ファイルの読み込みに失敗しました。 (offset ", 0), 0u);
}

TEST_F(SongFileTest, NeitherKindChangesNothing)
{
    m_Song.AddMsgTail(7, 0, std::vector<std::uint8_t>{0x90, 0x3C, 0x64});
    for (const std::string_view bytes : {"just text"sv, "PLM"sv, ""sv}) {
        const auto path = Write("other.txt", bytes);
        EXPECT_EQ(OpenSongFile(path, m_Song, m_Texts, m_Faults), SongKind::Neither);
        EXPECT_EQ(TimedEvents(m_Song), std::vector<std::string>{"7: 90 3C 64"});
        EXPECT_EQ(m_Texts.title, u"old title");
        EXPECT_EQ(m_Texts.comment, u"old comment");
    }
}

// Every [%7] before a long text carries all of it, so a small file could ask
// for texts that grow with the square of its size; past 256 MiB it is refused.
TEST_F(SongFileTest, SongWhoseTextsOutgrowMemoryIsRefused)
{
    std::string line;
    for (int i = 0; i < 130; ++i) line += "[%7]";
    line += "[%7:" + std::string(std::size_t{2} << 20, 'x') + "]";
    const auto path = Write("huge.pmr", "PLMR\r\nTitle=huge\r\n1=" + line + "\r\n");
    m_Song.AddMsgTail(7, 0, std::vector<std::uint8_t>{0x90, 0x3C, 0x64});
    try {
        OpenSongFile(path, m_Song, m_Texts, m_Faults);
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.ErrorNumber(), EFBIG);
    }
    EXPECT_EQ(TimedEvents(m_Song), std::vector<std::string>{"7: 90 3C 64"});
    EXPECT_EQ(m_Texts.title, u"old title");
}

TEST_F(SongFileTest, UnreadableFileThrows)
{
    EXPECT_THROW(OpenSongFile(m_Folder / "missing.pmr", m_Song, m_Texts, m_Faults), FileError);
    EXPECT_THROW(OpenSongFile(m_Folder, m_Song, m_Texts, m_Faults), FileError);
}

TEST_F(SongFileTest, SaveWritesTheSmfAndReplacesAnOldFile)
{
    CMidi song(1, 96);
    song.AddMsgTail(0, 0, std::vector<std::uint8_t>{0x90, 0x3C, 0x64});
    const auto path = Write("out.mid", "old contents that are longer than the new file will be, by a good deal");
    SaveStandardMidiFile(song, path);
    EXPECT_EQ(Read(path), WriteStandardMidi(song));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_Folder), std::filesystem::directory_iterator()), 1);
}

TEST_F(SongFileTest, FailedSaveLeavesNoFile)
{
    EXPECT_THROW(SaveStandardMidiFile(CMidi(1, 480), m_Folder / "no such folder" / "out.mid"), FileError);
    // A folder in the way cannot be replaced; nothing is left beside it.
    std::filesystem::create_directory(m_Folder / "taken.mid");
    Write("taken.mid/keep", "kept");
    EXPECT_THROW(SaveStandardMidiFile(CMidi(1, 480), m_Folder / "taken.mid"), FileError);
    EXPECT_EQ(Read(m_Folder / "taken.mid" / "keep"), "kept");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_Folder), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace tamsel
