#include "playback/playback_engine.h"

#include <cerrno>
#include <system_error>

#include "io/archive.h"
#include "io/file.h"
#include "model/smf_codec.h"

namespace tamsel {

namespace {

// Deletes the playback file when one exists; a file that stays throws.
void DeletePlayFile(const std::filesystem::path& playFile)
{
    std::error_code error;
    const bool exists = std::filesystem::exists(playFile, error);
    if (error) throw FileError("check", playFile, error.value());
    if (!exists) return;
    if (!std::filesystem::remove(playFile, error) || error) throw FileError("delete", playFile, error ? error.value() : ENOENT);
}

// Descriptions are cut to the table's width, never inside a surrogate pair.
std::u16string Clip(std::u16string description)
{
    constexpr std::size_t limit = PlaybackEngine::kMaxDescriptionLength;
    if (description.size() <= limit) return description;
    std::size_t length = limit;
    if (description[length - 1] >= 0xD800 && description[length - 1] <= 0xDBFF) --length;
    description.resize(length);
    return description;
}

bool MatchesDefaultRule(const std::u16string& description)
{
    return description.size() > 10 && description[0] == u'M' && description[10] == u'M';
}

}  // namespace

PlaybackEngine::PlaybackEngine(SynthesizerApi& api, MessageSink& messages) : m_Api(api), m_Messages(messages) {}

PlaybackEngine::~PlaybackEngine()
{
    if (m_Closed) return;
    // The owner deletes its playback file; here only the resources go back.
    if (m_pPort) DetachPort();
    if (m_Open) m_Api.CloseDown();
    GiveBackSegment();
    m_Closed = true;
}

void PlaybackEngine::SetUp()
{
    if (m_SetUp || m_Closed) return;
    m_SetUp = true;
    m_Open = m_Api.Open();
    if (!m_Open) {
        m_Messages.Warn(kNoPortMessage);
        return;
    }
    // The last port whose description has M at characters 0 and 10 wins.
    for (int i = 0; i < kMaxPorts; ++i) {
        std::optional<PortCaps> caps = m_Api.EnumPort(i);
        if (!caps) break;
        caps->description = Clip(std::move(caps->description));
        if (MatchesDefaultRule(caps->description)) m_PortIndex = i;
        m_PortCaps.push_back(std::move(*caps));
    }
    if (m_PortCaps.empty()) {
        m_Messages.Warn(kNoPortMessage);
        return;
    }
    AttachPort();
}

void PlaybackEngine::AttachPort()
{
    m_pPort = m_Api.CreatePort(m_PortCaps[static_cast<std::size_t>(m_PortIndex)]);
    if (!m_pPort || !m_Api.Activate(*m_pPort)) m_Messages.Warn(kPortActivationFailedMessage);
    // A port that failed to activate stays attached, as the user chose it.
    if (m_pPort) m_Api.AddPort(*m_pPort);
}

void PlaybackEngine::DetachPort()
{
    m_Api.RemovePort(*m_pPort);
    m_Api.ReleasePort(std::move(m_pPort));
    m_pPort.reset();
}

void PlaybackEngine::GiveBackSegment()
{
    if (!m_pSegment) return;
    m_Api.GiveBack(std::move(m_pSegment));
    m_pSegment.reset();
}

void PlaybackEngine::OnPlay(const CMidi& song, const std::filesystem::path& playFile)
{
    OnStop(playFile);
    if (!m_Open || !m_pPort) {
        m_Messages.Warn(kCannotPlayMessage);
        return;
    }
    {
        std::optional<File> file;
        try {
            file.emplace(File::CreateForWriting(playFile));
        } catch (const FileError&) {
            m_Messages.Warn(kPlayFileCreateFailedMessage);
            return;
        }
        CArchive archive(*file, CArchive::Mode::Store);
        WriteStandardMidi(song, archive);
        archive.Close();
        file->Close();
    }
    m_pSegment = m_Api.LoadSegment(playFile);
    if (!m_pSegment) {
        // The file stays until the next stop operation, which deletes it.
        m_Messages.Warn(kPlayFileLoadFailedMessage);
        return;
    }
    m_Api.Play(*m_pSegment);
}

void PlaybackEngine::OnStop(const std::filesystem::path& playFile)
{
    if (m_pSegment && m_Api.IsPlaying(*m_pSegment)) m_Api.Stop(*m_pSegment);
    GiveBackSegment();
    DeletePlayFile(playFile);
}

void PlaybackEngine::TearDown(const std::filesystem::path& playFile)
{
    if (m_Closed) return;
    std::exception_ptr deleteError;
    try {
        DeletePlayFile(playFile);
    } catch (const FileError&) {
        deleteError = std::current_exception();
    }
    if (m_pPort) DetachPort();
    // Closing down also ends a segment that still plays.
    if (m_Open) m_Api.CloseDown();
    GiveBackSegment();
    m_Open = false;
    m_Closed = true;
    if (deleteError) std::rethrow_exception(deleteError);
}

bool PlaybackEngine::IsPlaying() const
{
    return m_pSegment && m_Api.IsPlaying(*m_pSegment);
}

PlaybackState PlaybackEngine::State() const
{
    if (m_Closed) return PlaybackState::Closed;
    if (!m_SetUp) return PlaybackState::NotSetUp;
    if (!m_pSegment) return PlaybackState::Ready;
    return m_Api.IsPlaying(*m_pSegment) ? PlaybackState::Playing : PlaybackState::Finished;
}

std::vector<std::u16string> PlaybackEngine::PortDescriptions() const
{
    std::vector<std::u16string> descriptions;
    for (const PortCaps& caps : m_PortCaps) {
        // Filled entries lead the table; an empty description ends the list.
        if (caps.description.empty()) break;
        descriptions.push_back(caps.description);
    }
    return descriptions;
}

void PlaybackEngine::SwitchPort(int index)
{
    if (!m_Open || m_Closed || index == m_PortIndex) return;
    if (index < 0 || static_cast<std::size_t>(index) >= PortDescriptions().size()) return;
    m_PortIndex = index;
    if (m_pPort) DetachPort();
    AttachPort();
}

}  // namespace tamsel
