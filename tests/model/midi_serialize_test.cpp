#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "hex_bytes.h"
#include "io/archive.h"
#include "io/file.h"
#include "model/smf_codec.h"
#include "support/temp_folder.h"

namespace tamsel {
namespace {

class SerializeTest : public ::testing::Test {
protected:
    test::TempFolder m_Temp;
    const std::filesystem::path m_Folder = m_Temp.Path();
};

// A song well past the archive's buffer, with long messages among short ones.
CMidi BigSong()
{
    CMidi song(3, 480);
    for (int track = 0; track < 3; ++track) {
        song.AddMsgTail(0, track, test::Hex("FF 03 05 54 69 74 6C 65"));
        for (std::uint32_t i = 0; i < 3000; ++i) {
            song.AddMsgTail(i % 200, track, std::vector<std::uint8_t>{0x90, static_cast<std::uint8_t>(i & 0x7F), 0x40});
            if (i % 500 == 0) {
                std::vector<std::uint8_t> sysex{0xF0, 0x81, 0x00};
                sysex.resize(131, 0x11);
                song.AddMsgTail(0, track, sysex);
            }
        }
        song.AddMsgTail(0, track, test::Hex("FF 2F 00"));
    }
    return song;
}

TEST_F(SerializeTest, StoresAndLoadsThroughAFile)
{
    CMidi song = BigSong();
    const auto path = m_Folder / "song.mid";
    {
        File file = File::CreateForWriting(path);
        CArchive archive(file, CArchive::Mode::Store);
        song.Serialize(archive);
        archive.Close();
        file.Close();
    }
    const std::string written = ReadWholeFile(path);
    EXPECT_GT(written.size(), 3 * CArchive::kBufferSize);
    EXPECT_EQ(written, WriteStandardMidi(song));

    // As the Open command does: look at the first four bytes, then hand the
    // archive over from the file's start.
    File file = File::OpenForReading(path);
    char magic[4];
    ASSERT_EQ(file.Read(magic, 4), 4u);
    ASSERT_EQ(std::string(magic, 4), "MThd");
    file.SeekToBegin();
    CArchive archive(file, CArchive::Mode::Load);
    CMidi loaded(1, 480);
    CollectingDiagnostics diagnostics;
    loaded.Serialize(archive, diagnostics);
    EXPECT_TRUE(diagnostics.Empty());
    EXPECT_EQ(test::SongText(loaded), test::SongText(song));
    EXPECT_EQ(loaded.GetTitle(), "Title");
}

TEST_F(SerializeTest, LoadReportsFaultsToTheSink)
{
    const auto path = m_Folder / "broken.mid";
    {
        File file = File::CreateForWriting(path);
        const auto bytes = test::Hex("4D 54 68 64 00 00 00 06 00 01 00 02 00 60  4D 54 72 6B 00 00 00 04 00 3C 64 00");
        file.Write(bytes.data(), bytes.size());
        file.Close();
    }
    File file = File::OpenForReading(path);
    CArchive archive(file, CArchive::Mode::Load);
    CMidi song;
    CollectingDiagnostics diagnostics;
    song.Serialize(archive, diagnostics);
    // A data byte without status, then the file ends before the second
    // track: the same message twice, shown once.
    ASSERT_EQ(diagnostics.Reports().size(), 1u);
    EXPECT_EQ(diagnostics.Reports()[0].fault, ReadFault::ReadFailed);
    EXPECT_EQ(diagnostics.Reports()[0].offset, 23u);
    EXPECT_EQ(test::SongText(song), (std::vector<std::vector<std::string>>{{}, {}}));
}

}  // namespace
}  // namespace tamsel
