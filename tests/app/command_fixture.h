#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

#include "app/logic/tamsel_commands.h"
#include "playback/playback_engine.h"
#include "playback/recording_synthesizer.h"
#include "scripted_dialogs.h"

namespace tamsel::app::test {

// A fresh folder under the system's temporary folder, removed afterwards.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tamsel-app-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        m_Path = pattern;
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_Path, ignored);
    }
    [[nodiscard]] const std::filesystem::path& Path() const noexcept { return m_Path; }
    [[nodiscard]] std::filesystem::path operator/(const std::string& name) const { return m_Path / name; }

private:
    std::filesystem::path m_Path;
};

// Three ports; the second matches the default port rule.
inline RecordingSynthesizer ThreePortSynthesizer()
{
    RecordingSynthesizer synth;
    synth.ports = {{u"Port A", "port-a"}, {u"Microsoft MIDI Mapper", "port-b"}, {u"Port C", "port-c"}};
    return synth;
}

}  // namespace tamsel::app::test
