#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>

#include "io/file.h"
#include "temp_folder.h"

namespace tamsel {
namespace {

using FileTest = test::TempFolderTest;

TEST_F(FileTest, FailuresRaiseFileErrorNamingThePath)
{
    const auto missing = m_Folder / "missing.mid";
    const auto inMissingFolder = m_Folder / "no-such-folder" / "out.mid";
    const std::vector<std::pair<std::filesystem::path, std::function<void()>>> cases{
        {missing, [&] { File::OpenForReading(missing); }},
        {missing, [&] { (void)ReadWholeFile(missing); }},
        {inMissingFolder, [&] { File::CreateForWriting(inMissingFolder); }},
        {m_Folder, [&] { File::OpenForReading(m_Folder); }},
        {m_Folder, [&] { File::CreateForWriting(m_Folder); }},
    };
    for (const auto& [path, action] : cases) {
        try {
            action();
            ADD_FAILURE() << "no error for " << path;
        } catch (const FileError& error) {
            EXPECT_EQ(error.Path(), path);
            EXPECT_NE(error.ErrorNumber(), 0);
            EXPECT_NE(std::string(error.what()).find(path.string()), std::string::npos) << error.what();
        }
    }
}

// Two of our programs never share a file: while one holds it, another open fails
// instead of truncating it.
TEST_F(FileTest, AFileInUseIsNeitherOpenedNorEmptied)
{
    const auto path = m_Folder / "song.mid";
    std::ofstream(path) << "old contents";
    File holder = File::OpenForReading(path);
    EXPECT_THROW(File::CreateForWriting(path), FileError);
    EXPECT_THROW(File::OpenForReading(path), FileError);
    holder.Close();
    EXPECT_EQ(ReadWholeFile(path), "old contents");
}

TEST_F(FileTest, CreateForWritingEmptiesAnExistingFile)
{
    const auto path = m_Folder / "song.mid";
    std::ofstream(path) << "a much longer old contents";
    {
        File file = File::CreateForWriting(path);
        file.Write("new", 3);
        file.Close();
    }
    EXPECT_EQ(ReadWholeFile(path), "new");
}

TEST_F(FileTest, ReadsLargeFilesWhole)
{
    const auto path = m_Folder / "large.bin";
    std::string contents(200000, '\0');
    for (std::size_t i = 0; i < contents.size(); ++i) contents[i] = static_cast<char>(i * 7);
    std::ofstream(path, std::ios::binary) << contents;
    EXPECT_TRUE(ReadWholeFile(path) == contents);
    File file = File::OpenForReading(path);
    EXPECT_EQ(file.Length(), contents.size());
}

}  // namespace
}  // namespace tamsel
