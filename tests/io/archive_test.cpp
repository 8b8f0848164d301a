#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/archive.h"
#include "io/file.h"
#include "temp_folder.h"

namespace tamsel {
namespace {

std::string Pattern(std::size_t size, std::size_t seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31 + seed * 7) & 0xFF);
    return bytes;
}

// Each row: the sizes of the pieces written, in turn. Zero means one WriteByte.
struct PiecesCase {
    const char* name;
    std::vector<std::size_t> writes;
    std::vector<std::size_t> reads;
};

void PrintTo(const PiecesCase& c, std::ostream* out) { *out << c.name; }

class ArchiveTest : public test::TempFolderTest, public ::testing::WithParamInterface<PiecesCase> {};

TEST_P(ArchiveTest, WhatIsStoredLoadsBackWhole)
{
    const PiecesCase& c = GetParam();
    const auto path = m_Folder / "data.bin";
    std::string expected;
    {
        File file = File::CreateForWriting(path);
        CArchive archive(file, CArchive::Mode::Store);
        for (std::size_t i = 0; i < c.writes.size(); ++i) {
            if (c.writes[i] == 0) {
                const auto byte = static_cast<std::uint8_t>(i);
                archive.WriteByte(byte);
                expected += static_cast<char>(byte);
            } else {
                const std::string piece = Pattern(c.writes[i], i);
                archive.Write(piece.data(), piece.size());
                expected += piece;
            }
        }
        archive.Close();
    }
    EXPECT_TRUE(ReadWholeFile(path) == expected);

    File file = File::OpenForReading(path);
    CArchive archive(file, CArchive::Mode::Load);
    std::string loaded;
    for (const std::size_t size : c.reads) {
        std::string piece(size, '\0');
        const std::size_t got = archive.Read(piece.data(), size);
        loaded.append(piece.data(), got);
    }
    archive.ReadRest(loaded);
    EXPECT_EQ(loaded.size(), expected.size());
    EXPECT_TRUE(loaded == expected);
}

INSTANTIATE_TEST_SUITE_P(
    Io, ArchiveTest,
    ::testing::Values(PiecesCase{"Empty", {}, {}},
                      PiecesCase{"SmallPieces", {1, 2, 3, 0, 0, 5}, {4, 0, 1}},
                      PiecesCase{"FillsTheBufferExactly", {4095, 0, 4096, 0}, {4096, 1, 4095}},
                      PiecesCase{"LargerThanTheBuffer", {10, 10000, 3, 70000, 0}, {5000, 8192, 3, 1}},
                      PiecesCase{"ManySingleBytes", std::vector<std::size_t>(9000, 0), {4097, 4097}},
                      // Reads that ask past the end get what is there.
                      PiecesCase{"ReadsPastTheEnd", {100}, {60, 60, 60}}),
    [](const auto& info) { return std::string(info.param.name); });

using ArchiveEndTest = test::TempFolderTest;

TEST_F(ArchiveEndTest, ReadAtTheEndGivesFewerBytesWithoutError)
{
    const auto path = m_Folder / "short.bin";
    {
        File file = File::CreateForWriting(path);
        file.Write("abc", 3);
    }
    File file = File::OpenForReading(path);
    CArchive archive(file, CArchive::Mode::Load);
    char buffer[16];
    EXPECT_EQ(archive.Read(buffer, sizeof buffer), 3u);
    EXPECT_EQ(archive.Read(buffer, sizeof buffer), 0u);
    std::string rest;
    archive.ReadRest(rest);
    EXPECT_EQ(rest, "");
}

}  // namespace
}  // namespace tamsel
