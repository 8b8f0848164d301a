// A stand-alone reader and writer for timing against other tools:
//   smf_roundtrip generate OUT      writes the benchmark's generated file
//   smf_roundtrip convert IN OUT    reads IN as Open does and saves OUT
#include <cstdio>
#include <string>

#include "io/archive.h"
#include "io/atomic_file_writer.h"
#include "io/file.h"
#include "model/smf_codec.h"
#include "smf_generate.h"

int main(int argc, char** argv)
{
    using namespace tamsel;
    const std::string command = argc > 1 ? argv[1] : "";
    try {
        if (command == "generate" && argc == 3) {
            const std::string file = bench::GenerateSmf();
            AtomicFileWriter writer(argv[2]);
            writer.Temporary().Write(file.data(), file.size());
            writer.Commit();
            return 0;
        }
        if (command == "convert" && argc == 4) {
            CMidi song;
            CollectingDiagnostics diagnostics;
            {
                File in = File::OpenForReading(argv[2]);
                CArchive archive(in, CArchive::Mode::Load);
                song.Serialize(archive, diagnostics);
            }
            AtomicFileWriter writer(argv[3]);
            CArchive archive(writer.Temporary(), CArchive::Mode::Store);
            song.Serialize(archive);
            archive.Close();
            writer.Commit();
            return diagnostics.Empty() ? 0 : 3;
        }
    } catch (const FileError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "usage: smf_roundtrip generate OUT | convert IN OUT\n");
    return 2;
}
