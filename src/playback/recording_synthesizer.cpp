#include "playback/recording_synthesizer.h"

#include <stdexcept>

#include "io/file.h"

namespace tamsel {

namespace {

struct RecordedPort final : SynthPort {
    RecordedPort(int number, std::string id) : number(number), id(std::move(id)) {}
    int number;
    std::string id;
};

struct RecordedSegment final : SynthSegment {
    explicit RecordedSegment(int number) : number(number) {}
    int number;
};

// Using an object that is not ours is a fault of the code under test.
template <typename Recorded, typename Base>
Recorded& Checked(Base& object)
{
    auto* recorded = dynamic_cast<Recorded*>(&object);
    if (!recorded) throw std::logic_error("object from another synthesizer");
    return *recorded;
}

}  // namespace

bool RecordingSynthesizer::Open()
{
    Log("Open");
    return !openFails;
}

std::optional<PortCaps> RecordingSynthesizer::EnumPort(int index)
{
    Log("EnumPort(" + std::to_string(index) + ")");
    if (index < 0 || static_cast<std::size_t>(index) >= ports.size()) return std::nullopt;
    return ports[static_cast<std::size_t>(index)];
}

std::unique_ptr<SynthPort> RecordingSynthesizer::CreatePort(const PortCaps& caps)
{
    if (createPortFails) {
        Log("CreatePort(" + caps.id + ")=none");
        return nullptr;
    }
    const int number = m_NextPort++;
    Log("CreatePort(" + caps.id + ")=" + std::to_string(number));
    ++m_PortsHeld;
    return std::make_unique<RecordedPort>(number, caps.id);
}

bool RecordingSynthesizer::Activate(SynthPort& port)
{
    const auto& recorded = Checked<RecordedPort>(port);
    Log("Activate(" + std::to_string(recorded.number) + ")");
    return !failingActivations.contains(recorded.id);
}

void RecordingSynthesizer::AddPort(SynthPort& port)
{
    Log("AddPort(" + std::to_string(Checked<RecordedPort>(port).number) + ")");
}

void RecordingSynthesizer::RemovePort(SynthPort& port)
{
    Log("RemovePort(" + std::to_string(Checked<RecordedPort>(port).number) + ")");
}

void RecordingSynthesizer::ReleasePort(std::unique_ptr<SynthPort> port)
{
    if (!port) throw std::logic_error("ReleasePort without a port");
    Log("ReleasePort(" + std::to_string(Checked<RecordedPort>(*port).number) + ")");
    --m_PortsHeld;
}

std::unique_ptr<SynthSegment> RecordingSynthesizer::LoadSegment(const std::filesystem::path& file)
{
    std::string bytes;
    try {
        bytes = ReadWholeFile(file);
    } catch (const FileError&) {
        Log("LoadSegment=missing file");
        return nullptr;
    }
    m_LoadedFiles.push_back(std::move(bytes));
    if (loadFails) {
        Log("LoadSegment=none");
        return nullptr;
    }
    const int number = m_NextSegment++;
    Log("LoadSegment=" + std::to_string(number));
    ++m_SegmentsHeld;
    return std::make_unique<RecordedSegment>(number);
}

void RecordingSynthesizer::Play(SynthSegment& segment)
{
    m_Playing = Checked<RecordedSegment>(segment).number;
    Log("Play(" + std::to_string(m_Playing) + ")");
}

bool RecordingSynthesizer::IsPlaying(const SynthSegment& segment)
{
    const int number = Checked<const RecordedSegment>(segment).number;
    Log("IsPlaying(" + std::to_string(number) + ")");
    return number == m_Playing;
}

void RecordingSynthesizer::Stop(SynthSegment& segment)
{
    const int number = Checked<RecordedSegment>(segment).number;
    Log("Stop(" + std::to_string(number) + ")");
    if (number == m_Playing) m_Playing = 0;
}

void RecordingSynthesizer::GiveBack(std::unique_ptr<SynthSegment> segment)
{
    if (!segment) throw std::logic_error("GiveBack without a segment");
    const int number = Checked<RecordedSegment>(*segment).number;
    Log("GiveBack(" + std::to_string(number) + ")");
    if (number == m_Playing) m_Playing = 0;
    --m_SegmentsHeld;
}

void RecordingSynthesizer::CloseDown()
{
    Log("CloseDown");
    m_Playing = 0;
}

}  // namespace tamsel
