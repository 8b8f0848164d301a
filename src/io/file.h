#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace tamsel {

// A failed file operation: what was done, on which path, and the system's
// reason. Callers catch it and turn it into a message for the user.
class FileError : public std::runtime_error {
public:
    FileError(std::string operation, std::filesystem::path path, int errorNumber);
    [[nodiscard]] const std::filesystem::path& Path() const noexcept { return m_Path; }
    [[nodiscard]] int ErrorNumber() const noexcept { return m_ErrorNumber; }

private:
    std::filesystem::path m_Path;
    int m_ErrorNumber;
};

// An open file, owned; closed on destruction. Opening takes an exclusive
// advisory lock so that two of our programs never share a file.
class File {
public:
    static File OpenForReading(const std::filesystem::path& path);
    // Creates the file, or empties an existing one.
    static File CreateForWriting(const std::filesystem::path& path);

    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    // Reads up to `size` bytes; fewer only at the end of the file.
    std::size_t Read(void* buffer, std::size_t size);
    void Write(const void* buffer, std::size_t size);
    [[nodiscard]] std::uint64_t Length() const;
    void SeekToBegin();
    // Flushes the file's data to the device.
    void Sync();
    void Close();
    [[nodiscard]] bool IsOpen() const noexcept { return m_Descriptor >= 0; }
    [[nodiscard]] const std::filesystem::path& Path() const noexcept { return m_Path; }

private:
    File(int descriptor, std::filesystem::path path) noexcept;
    friend class AtomicFileWriter;

    int m_Descriptor = -1;
    std::filesystem::path m_Path;
};

// Reads an open file from where it stands to its end.
[[nodiscard]] std::string ReadToEnd(File& file);
// Reads a whole file into memory.
[[nodiscard]] std::string ReadWholeFile(const std::filesystem::path& path);

}  // namespace tamsel
