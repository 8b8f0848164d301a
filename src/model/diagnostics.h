#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tamsel {

// Faults met while reading a Standard MIDI File. Reading goes on after each.
enum class ReadFault : std::uint8_t {
    HeaderChunk,  // the file does not start with a header chunk
    TrackChunk,   // no track chunk where one is due
    ReadFailed,   // an event that cannot be read, or the file ends too soon
    DataCheck,    // a track's events do not add up to its declared length
};

// The user-facing text of a fault (UTF-8).
[[nodiscard]] std::string_view FaultText(ReadFault fault) noexcept;

struct Diagnostic {
    ReadFault fault;
    std::uint64_t offset;  // file offset where the fault was found
};

// Where readers send the faults they meet; the window shows them, the CLI
// prints them. The core itself never shows anything.
class DiagnosticsSink {
public:
    virtual ~DiagnosticsSink() = default;
    virtual void Report(const Diagnostic& diagnostic) = 0;
};

// Keeps every report, for callers that look at them afterwards.
class CollectingDiagnostics final : public DiagnosticsSink {
public:
    void Report(const Diagnostic& diagnostic) override { m_Reports.push_back(diagnostic); }
    [[nodiscard]] const std::vector<Diagnostic>& Reports() const noexcept { return m_Reports; }
    [[nodiscard]] bool Empty() const noexcept { return m_Reports.empty(); }

private:
    std::vector<Diagnostic> m_Reports;
};

// Drops every report.
class IgnoreDiagnostics final : public DiagnosticsSink {
public:
    void Report(const Diagnostic&) override {}
};

}  // namespace tamsel
