#pragma once

#include <filesystem>
#include <optional>

#include "io/file.h"

namespace tamsel {

// Writes a file so that readers see either the old file or the whole new
// one: the bytes go to a temporary file beside the target, which Commit
// flushes and renames over it. Without Commit the temporary file is removed
// and the target is untouched.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::filesystem::path target);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    [[nodiscard]] File& Temporary() noexcept { return *m_Temporary; }
    void Commit();

private:
    std::filesystem::path m_Target;
    std::filesystem::path m_TemporaryPath;
    std::optional<File> m_Temporary;
};

}  // namespace tamsel
