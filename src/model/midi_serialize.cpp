#include <cassert>
#include <span>
#include <string>

#include "io/archive.h"
#include "model/midi.h"
#include "model/smf_codec.h"

namespace tamsel {

void CMidi::Serialize(CArchive& archive, DiagnosticsSink& diagnostics)
{
    if (archive.IsStoring()) {
        WriteStandardMidi(*this, archive);
        return;
    }
    std::string bytes;
    archive.ReadRest(bytes);
    ReadStandardMidi({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, *this, diagnostics);
}

void CMidi::Serialize(CArchive& archive)
{
    assert(archive.IsStoring());
    WriteStandardMidi(*this, archive);
}

}  // namespace tamsel
