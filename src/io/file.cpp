#include "io/file.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tamsel {

namespace {

int OpenLocked(const std::filesystem::path& path, int flags, const char* operation)
{
    const int descriptor = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (descriptor < 0) throw FileError(operation, path, errno);
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(descriptor);
        throw FileError(operation, path, error);
    }
    return descriptor;
}

}  // namespace

FileError::FileError(std::string operation, std::filesystem::path path, int errorNumber)
    : std::runtime_error(operation + " " + path.string() + ": " + std::strerror(errorNumber)),
      m_Path(std::move(path)),
      m_ErrorNumber(errorNumber)
{
}

File File::OpenForReading(const std::filesystem::path& path)
{
    const int descriptor = OpenLocked(path, O_RDONLY, "cannot open");
    struct stat info{};
    if (::fstat(descriptor, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(descriptor);
        throw FileError("cannot open", path, EISDIR);
    }
    return File(descriptor, path);
}

File File::CreateForWriting(const std::filesystem::path& path)
{
    // Truncate only once the lock is held, so a file in use is never emptied.
    File file(OpenLocked(path, O_WRONLY | O_CREAT, "cannot create"), path);
    if (::ftruncate(file.m_Descriptor, 0) != 0) throw FileError("cannot create", path, errno);
    return file;
}

File::File(int descriptor, std::filesystem::path path) noexcept
    : m_Descriptor(descriptor), m_Path(std::move(path))
{
}

File::File(File&& other) noexcept
    : m_Descriptor(std::exchange(other.m_Descriptor, -1)), m_Path(std::move(other.m_Path))
{
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        if (m_Descriptor >= 0) ::close(m_Descriptor);
        m_Descriptor = std::exchange(other.m_Descriptor, -1);
        m_Path = std::move(other.m_Path);
    }
    return *this;
}

File::~File()
{
    if (m_Descriptor >= 0) ::close(m_Descriptor);
}

std::size_t File::Read(void* buffer, std::size_t size)
{
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(m_Descriptor, bytes + done, size - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileError("cannot read", m_Path, errno);
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void File::Write(const void* buffer, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put = ::write(m_Descriptor, bytes + done, size - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            throw FileError("cannot write", m_Path, errno);
        }
        done += static_cast<std::size_t>(put);
    }
}

std::uint64_t File::Length() const
{
    struct stat info{};
    if (::fstat(m_Descriptor, &info) != 0) throw FileError("cannot stat", m_Path, errno);
    return static_cast<std::uint64_t>(info.st_size);
}

void File::SeekToBegin()
{
    if (::lseek(m_Descriptor, 0, SEEK_SET) < 0) throw FileError("cannot seek", m_Path, errno);
}

void File::Sync()
{
    if (::fsync(m_Descriptor) != 0) throw FileError("cannot write", m_Path, errno);
}

void File::Close()
{
    if (m_Descriptor < 0) return;
    const int descriptor = std::exchange(m_Descriptor, -1);
    if (::close(descriptor) != 0) throw FileError("cannot close", m_Path, errno);
}

std::string ReadToEnd(File& file)
{
    std::string contents;
    contents.reserve(static_cast<std::size_t>(file.Length()));
    char chunk[65536];
    for (;;) {
        const std::size_t got = file.Read(chunk, sizeof chunk);
        contents.append(chunk, got);
        if (got < sizeof chunk) break;
    }
    return contents;
}

std::string ReadWholeFile(const std::filesystem::path& path)
{
    File file = File::OpenForReading(path);
    return ReadToEnd(file);
}

}  // namespace tamsel
