// Reads arbitrary bytes as a Standard MIDI File. Whatever was read must be
// saved as a file that reads back without a message and writes again byte
// for byte.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "model/smf_codec.h"

namespace {

std::span<const std::uint8_t> Bytes(const std::string& text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tamsel;
    CMidi song;
    IgnoreDiagnostics ignore;
    ReadStandardMidi({data, size}, song, ignore);
    // Tens of thousands of announced, mostly empty tracks make a round trip
    // hundreds of times slower and check nothing that a few tracks do not.
    if (song.Tracks().size() > 256) return 0;
    const std::string written = WriteStandardMidi(song);

    CMidi again;
    CollectingDiagnostics faults;
    ReadStandardMidi(Bytes(written), again, faults);
    if (!faults.Empty()) {
        std::fprintf(stderr, "what we wrote reads back with \"%s\" at %llu\n",
                     std::string(FaultText(faults.Reports()[0].fault)).c_str(),
                     static_cast<unsigned long long>(faults.Reports()[0].offset));
        std::abort();
    }
    if (WriteStandardMidi(again) != written) {
        std::fprintf(stderr, "what we wrote does not write again byte for byte\n");
        std::abort();
    }
    return 0;
}
