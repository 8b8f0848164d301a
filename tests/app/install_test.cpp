// `cmake --install` into a fresh prefix, then what a desktop needs from it:
// the programs, the desktop entry, the icons and a MIME type that the
// shared-mime-info database recognises by name and by content.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <QByteArray>
#include <QImage>
#include <QMimeDatabase>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "command_fixture.h"

namespace tamsel::app::test {
namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> DesktopEntry(const fs::path& path)
{
    std::map<std::string, std::string> keys;
    std::ifstream in(path);
    std::string line;
    bool inEntry = false;
    while (std::getline(in, line)) {
        if (line.starts_with("[")) inEntry = line == "[Desktop Entry]";
        const auto equals = line.find('=');
        if (inEntry && equals != std::string::npos) keys[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return keys;
}

TEST(Install, PutsTheProgramsDesktopEntryIconsAndMimeTypeInPlace)
{
    TempFolder prefix;
    const std::string command = std::string("\"") + TAMSEL_CMAKE_COMMAND + "\" --install \"" + TAMSEL_BUILD_DIR +
                                "\" --prefix \"" + prefix.Path().string() + "\" > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const fs::path share = prefix / "share";

    for (const char* program : {"tamsel", "tamsel-cli"}) {
        const fs::path path = prefix / "bin" / program;
        ASSERT_TRUE(fs::exists(path)) << program;
        EXPECT_NE(fs::status(path).permissions() & fs::perms::owner_exec, fs::perms::none) << program;
    }

    auto entry = DesktopEntry(share / "applications" / "tamsel.desktop");
    EXPECT_EQ(entry["Type"], "Application");
    EXPECT_EQ(entry["Exec"], "tamsel %f");
    EXPECT_EQ(entry["Icon"], "tamsel");
    EXPECT_THAT(entry["MimeType"], ::testing::AllOf(::testing::HasSubstr("application/x-pellomar;"),
                                                    ::testing::HasSubstr("audio/midi;")));

    for (const int size : {16, 32, 48}) {
        const auto path = share / "icons" / "hicolor" / (std::to_string(size) + "x" + std::to_string(size)) / "apps" /
                          "tamsel.png";
        const QImage icon(QString::fromStdString(path.string()));
        EXPECT_EQ(icon.size(), QSize(size, size)) << path;
    }
    EXPECT_TRUE(fs::exists(share / "icons" / "hicolor" / "scalable" / "apps" / "tamsel.svg"));

    // Only this prefix and the system's own types: the database Qt reads is
    // the one the installed files make.
    ::setenv("XDG_DATA_HOME", (prefix / "home").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (share.string() + ":/usr/share").c_str(), 1);
    const QMimeDatabase types;
    EXPECT_EQ(types.mimeTypeForFile("song.pmr", QMimeDatabase::MatchExtension).name(), "application/x-pellomar");
    EXPECT_EQ(types.mimeTypeForData(QByteArray("PLMR\r\nTimeBase=480\r\n")).name(), "application/x-pellomar");
    EXPECT_EQ(types.mimeTypeForFile("song.mid", QMimeDatabase::MatchExtension).name(), "audio/midi");
}

}  // namespace
}  // namespace tamsel::app::test
