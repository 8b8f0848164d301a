#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "playback/synthesizer_api.h"

namespace tamsel {

// A synthesizer that plays nothing and records every call, for tests of the
// code that drives one. Ports are numbered by creation (1, 2, ...), segments
// by loading; the log reads like "CreatePort(port-a)=1", "Activate(1)".
class RecordingSynthesizer final : public SynthesizerApi {
public:
    // The ports EnumPort offers, in order.
    std::vector<PortCaps> ports;
    bool openFails = false;
    bool createPortFails = false;
    // Port ids whose activation fails.
    std::set<std::string> failingActivations;
    bool loadFails = false;

    // Every call, in order.
    [[nodiscard]] const std::vector<std::string>& Calls() const noexcept { return m_Calls; }
    void ClearCalls() { m_Calls.clear(); }
    // The bytes of the file each LoadSegment call found, in order.
    [[nodiscard]] const std::vector<std::string>& LoadedFiles() const noexcept { return m_LoadedFiles; }
    // How many ports and segments are out and not yet given back.
    [[nodiscard]] int PortsHeld() const noexcept { return m_PortsHeld; }
    [[nodiscard]] int SegmentsHeld() const noexcept { return m_SegmentsHeld; }
    // The playing segment reaches its end.
    void FinishPlaying() { m_Playing = 0; }

    bool Open() override;
    std::optional<PortCaps> EnumPort(int index) override;
    std::unique_ptr<SynthPort> CreatePort(const PortCaps& caps) override;
    bool Activate(SynthPort& port) override;
    void AddPort(SynthPort& port) override;
    void RemovePort(SynthPort& port) override;
    void ReleasePort(std::unique_ptr<SynthPort> port) override;
    std::unique_ptr<SynthSegment> LoadSegment(const std::filesystem::path& file) override;
    void Play(SynthSegment& segment) override;
    bool IsPlaying(const SynthSegment& segment) override;
    void Stop(SynthSegment& segment) override;
    void GiveBack(std::unique_ptr<SynthSegment> segment) override;
    void CloseDown() override;

private:
    void Log(std::string call) { m_Calls.push_back(std::move(call)); }

    std::vector<std::string> m_Calls;
    std::vector<std::string> m_LoadedFiles;
    int m_NextPort = 1;
    int m_NextSegment = 1;
    int m_PortsHeld = 0;
    int m_SegmentsHeld = 0;
    int m_Playing = 0;  // number of the playing segment, 0 for none
};

}  // namespace tamsel
