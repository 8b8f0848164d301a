#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace tamsel::test {

// A fresh folder per test, removed afterwards.
class TempFolderTest : public ::testing::Test {
protected:
    [[nodiscard]] std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_Folder)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder m_Temp;
    const std::filesystem::path m_Folder = m_Temp.Path();
};

}  // namespace tamsel::test
