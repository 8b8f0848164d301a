#include "io/atomic_file_writer.h"

#include <cassert>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tamsel {

AtomicFileWriter::AtomicFileWriter(std::filesystem::path target) : m_Target(std::move(target))
{
    const std::filesystem::path folder = m_Target.has_parent_path() ? m_Target.parent_path() : ".";
    std::string pattern = (folder / ("." + m_Target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int descriptor = ::mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0) throw FileError("cannot create", m_Target, errno);
    m_TemporaryPath = name.data();
    // Keep the permissions an existing target has, or the usual ones.
    struct stat info{};
    const mode_t umaskNow = ::umask(0);
    ::umask(umaskNow);
    const mode_t mode = ::stat(m_Target.c_str(), &info) == 0 ? (info.st_mode & 07777) : (0666 & ~umaskNow);
    ::fchmod(descriptor, mode);
    m_Temporary.emplace(File(descriptor, m_TemporaryPath));
}

AtomicFileWriter::~AtomicFileWriter()
{
    if (m_Temporary) {
        m_Temporary.reset();
        ::unlink(m_TemporaryPath.c_str());
    }
}

void AtomicFileWriter::Commit()
{
    assert(m_Temporary && "Commit is called once");
    m_Temporary->Sync();
    m_Temporary->Close();
    if (::rename(m_TemporaryPath.c_str(), m_Target.c_str()) != 0) {
        const int error = errno;
        m_Temporary.reset();
        ::unlink(m_TemporaryPath.c_str());
        throw FileError("cannot write", m_Target, error);
    }
    m_Temporary.reset();
    // Make the rename itself durable; a failure here loses nothing already
    // written, so it is not reported.
    const std::filesystem::path folder = m_Target.has_parent_path() ? m_Target.parent_path() : ".";
    const int directory = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        ::fsync(directory);
        ::close(directory);
    }
}

}  // namespace tamsel
