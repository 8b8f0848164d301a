#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "io/file.h"
#include "model/smf_codec.h"

namespace tamsel {
namespace {

// An event as a song plays it: absolute tick and the whole message.
struct TimedEvent {
    std::uint64_t tick;
    std::vector<std::uint8_t> bytes;
    bool operator==(const TimedEvent&) const = default;
};

struct Song {
    std::uint16_t format = 0;
    std::uint16_t trackCount = 0;
    std::uint16_t division = 0;
    std::vector<std::vector<TimedEvent>> tracks;
};

// A plain reader for sound files only, written apart from the codec so that
// the two check each other: chunks by their declared lengths, running status
// expanded, meta and system-exclusive lengths as variable-length quantities.
Song ReferenceRead(const std::string& file)
{
    // Checked access: a file that is not sound throws instead of reading astray.
    auto byte = [&](std::size_t at) { return static_cast<std::uint8_t>(file.at(at)); };
    auto be = [&](std::size_t at, int size) {
        std::uint32_t value = 0;
        for (int i = 0; i < size; ++i) value = value << 8 | byte(at + i);
        return value;
    };
    Song song;
    song.format = static_cast<std::uint16_t>(be(8, 2));
    song.trackCount = static_cast<std::uint16_t>(be(10, 2));
    song.division = static_cast<std::uint16_t>(be(12, 2));
    std::size_t at = 8 + be(4, 4);
    while (song.tracks.size() < song.trackCount) {
        const std::size_t end = at + 8 + be(at + 4, 4);
        if (file.compare(at, 4, "MTrk") != 0) {
            at = end;
            continue;
        }
        auto& events = song.tracks.emplace_back();
        auto vlq = [&](std::size_t& p) {
            std::uint32_t value = 0;
            do value = value << 7 | (byte(p) & 0x7F);
            while (byte(p++) & 0x80);
            return value;
        };
        std::uint64_t tick = 0;
        std::uint8_t running = 0;
        for (std::size_t p = at + 8; p < end;) {
            tick += vlq(p);
            std::vector<std::uint8_t> bytes;
            const std::uint8_t status = byte(p) & 0x80 ? byte(p++) : running;
            bytes.push_back(status);
            if (status == 0xFF) bytes.push_back(byte(p++));
            if (status >= 0xF0) {
                const std::size_t lengthStart = p;
                const std::uint32_t length = vlq(p);
                for (std::size_t i = lengthStart; i < p + length; ++i) bytes.push_back(byte(i));
                p += length;
            } else {
                running = status;
                const std::size_t count = (status & 0xE0) == 0xC0 ? 1 : 2;
                for (std::size_t i = p; i < p + count; ++i) bytes.push_back(byte(i));
                p += count;
            }
            events.push_back({tick, std::move(bytes)});
        }
        at = end;
    }
    return song;
}

Song Timed(const CMidi& model)
{
    Song song{model.m_Header.m_Format, model.m_Header.m_TrackCount, model.m_Header.m_Division, {}};
    for (const CMidiTrack& track : model.Tracks()) {
        auto& events = song.tracks.emplace_back();
        std::uint64_t tick = 0;
        for (const CMidiObj& event : track.m_EventList) {
            tick += event.m_Delta;
            events.push_back({tick, {event.Data().begin(), event.Data().end()}});
        }
    }
    return song;
}

void ExpectSameSong(const Song& actual, const Song& expected, const std::string& what)
{
    EXPECT_EQ(actual.format, expected.format) << what;
    EXPECT_EQ(actual.trackCount, expected.trackCount) << what;
    EXPECT_EQ(actual.division, expected.division) << what;
    ASSERT_EQ(actual.tracks.size(), expected.tracks.size()) << what;
    for (std::size_t t = 0; t < actual.tracks.size(); ++t) {
        ASSERT_EQ(actual.tracks[t].size(), expected.tracks[t].size()) << what << " track " << t;
        for (std::size_t e = 0; e < actual.tracks[t].size(); ++e) {
            EXPECT_EQ(actual.tracks[t][e], expected.tracks[t][e]) << what << " track " << t << " event " << e;
        }
    }
}

CMidi Read(const std::string& bytes, std::vector<ReadFault>& faults)
{
    CMidi song;
    CollectingDiagnostics diagnostics;
    ReadStandardMidi({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, song, diagnostics);
    for (const Diagnostic& d : diagnostics.Reports()) faults.push_back(d.fault);
    return song;
}

// The messages each broken file of the corpus gives; every other file is sound.
const std::map<std::string, std::vector<ReadFault>>& BrokenFiles()
{
    static const std::map<std::string, std::vector<ReadFault>> files = [] {
        std::map<std::string, std::vector<ReadFault>> broken{
            {"jazz__test-corrupt-file-missing-byte.mid", {ReadFault::ReadFailed}},
            {"jazz__test-empty-file.mid", {ReadFault::HeaderChunk}},
            // Not a header, then the default song's one track is due and the file ends.
            {"jazz__test-not-a-midi-file.mid", {ReadFault::HeaderChunk, ReadFault::ReadFailed}},
            {"jazz__test-illegal-message-all.mid", {ReadFault::ReadFailed}},
        };
        for (const char* status : {"f1-xx", "f2-xx-xx", "f3-xx", "f4", "f5", "f6", "f8", "f9", "fa", "fb", "fc", "fd", "fe"}) {
            broken[std::string("jazz__test-illegal-message-") + status + ".mid"] = {ReadFault::ReadFailed};
        }
        return broken;
    }();
    return files;
}

std::vector<std::filesystem::path> CorpusFiles()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(TAMSEL_SMF_CORPUS)) {
        if (entry.path().extension() == ".mid") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(SmfCorpusTest, SoundFilesSurviveReadWriteRead)
{
    const auto files = CorpusFiles();
    ASSERT_FALSE(files.empty()) << "no corpus at " << TAMSEL_SMF_CORPUS;
    for (const auto& path : files) {
        const std::string name = path.filename().string();
        if (BrokenFiles().contains(name)) continue;
        SCOPED_TRACE(name);
        const std::string original = ReadWholeFile(path);
        const Song expected = ReferenceRead(original);

        std::vector<ReadFault> faults;
        const CMidi first = Read(original, faults);
        EXPECT_TRUE(faults.empty());
        ExpectSameSong(Timed(first), expected, "read");

        const std::string written = WriteStandardMidi(first);
        const CMidi second = Read(written, faults);
        EXPECT_TRUE(faults.empty());
        ExpectSameSong(Timed(second), expected, "read again");
        EXPECT_TRUE(WriteStandardMidi(second) == written) << "second write differs";
    }
}

TEST(SmfCorpusTest, BrokenFilesGiveTheirMessages)
{
    const auto files = CorpusFiles();
    for (const auto& [name, expected] : BrokenFiles()) {
        SCOPED_TRACE(name);
        const auto path = std::filesystem::path(TAMSEL_SMF_CORPUS) / name;
        ASSERT_TRUE(std::find(files.begin(), files.end(), path) != files.end());
        std::vector<ReadFault> faults;
        const CMidi song = Read(ReadWholeFile(path), faults);
        EXPECT_EQ(faults, expected);
        // What could be read is saved as a sound file: it reads back with no
        // message, keeps the events, and writes again byte for byte.
        const std::string written = WriteStandardMidi(song);
        std::vector<ReadFault> again;
        const CMidi reread = Read(written, again);
        EXPECT_TRUE(again.empty());
        EXPECT_TRUE(WriteStandardMidi(reread) == written);
        const Song before = Timed(song);
        const Song after = Timed(reread);
        ASSERT_EQ(after.tracks.size(), before.tracks.size());
        for (std::size_t t = 0; t < before.tracks.size(); ++t) {
            // Only a closing end-of-track event may have been added.
            ASSERT_GE(after.tracks[t].size(), before.tracks[t].size());
            EXPECT_TRUE(std::equal(before.tracks[t].begin(), before.tracks[t].end(), after.tracks[t].begin()));
        }
    }
}

}  // namespace
}  // namespace tamsel
