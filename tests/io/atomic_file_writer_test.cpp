#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <string>

#include "io/archive.h"
#include "io/atomic_file_writer.h"
#include "io/file.h"
#include "temp_folder.h"

namespace tamsel {
namespace {

using ::testing::ElementsAre;
using AtomicFileWriterTest = test::TempFolderTest;

void WriteThrough(AtomicFileWriter& writer, const std::string& text)
{
    CArchive archive(writer.Temporary(), CArchive::Mode::Store);
    archive.Write(text.data(), text.size());
    archive.Close();
}

TEST_F(AtomicFileWriterTest, WithoutCommitTheOldFileStaysAndNoTemporaryIsLeft)
{
    const auto path = m_Folder / "song.mid";
    std::ofstream(path) << "old";
    {
        AtomicFileWriter writer(path);
        WriteThrough(writer, std::string(10000, 'n'));
    }
    EXPECT_EQ(ReadWholeFile(path), "old");
    EXPECT_THAT(Entries(), ElementsAre("song.mid"));
}

TEST_F(AtomicFileWriterTest, AnExceptionBeforeCommitLeavesTheOldFile)
{
    const auto path = m_Folder / "song.mid";
    std::ofstream(path) << "old";
    try {
        AtomicFileWriter writer(path);
        WriteThrough(writer, "half");
        throw std::runtime_error("writing failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(ReadWholeFile(path), "old");
    EXPECT_THAT(Entries(), ElementsAre("song.mid"));
}

TEST_F(AtomicFileWriterTest, CommitReplacesTheFileAndKeepsItsPermissions)
{
    const auto path = m_Folder / "song.mid";
    std::ofstream(path) << "old contents that are longer";
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    {
        AtomicFileWriter writer(path);
        WriteThrough(writer, "new");
        writer.Commit();
    }
    EXPECT_EQ(ReadWholeFile(path), "new");
    EXPECT_THAT(Entries(), ElementsAre("song.mid"));
    struct stat info{};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(AtomicFileWriterTest, CommitCreatesANewFile)
{
    const auto path = m_Folder / "new.mid";
    {
        AtomicFileWriter writer(path);
        WriteThrough(writer, "fresh");
        writer.Commit();
    }
    EXPECT_EQ(ReadWholeFile(path), "fresh");
    EXPECT_THAT(Entries(), ElementsAre("new.mid"));
}

TEST_F(AtomicFileWriterTest, FailuresRaiseFileErrorAndLeaveNothingBehind)
{
    EXPECT_THROW(AtomicFileWriter(m_Folder / "no-such-folder" / "out.mid"), FileError);

    // The target is a folder: the rename over it fails at commit.
    const auto folder = m_Folder / "taken";
    std::filesystem::create_directory(folder);
    std::ofstream(folder / "inside") << "x";
    AtomicFileWriter writer(folder);
    WriteThrough(writer, "new");
    EXPECT_THROW(writer.Commit(), FileError);
    EXPECT_THAT(Entries(), ElementsAre("taken"));
    EXPECT_EQ(ReadWholeFile(folder / "inside"), "x");
}

}  // namespace
}  // namespace tamsel
