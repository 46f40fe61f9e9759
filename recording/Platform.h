#pragma once

// The few operating-system services the portable core needs: files opened by wide path, file
// attributes, temporary files, folder listing and local time. One implementation per platform
// (Platform_win.cpp with the wide-character Win32 calls, Platform_posix.cpp with UTF-8 paths).

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace tavrin {

// Paths are wide text on every platform; the separator is the platform's own.
using Path = std::wstring;
extern const wchar_t kPathSeparator;

// An open file, owned; move-only, closed by its destructor.
class BinaryFile {
public:
    BinaryFile() = default;
    BinaryFile(BinaryFile&& other) noexcept;
    BinaryFile& operator=(BinaryFile&& other) noexcept;
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;
    ~BinaryFile();

    // Opens for reading as raw bytes; others may read, write or delete it meanwhile.
    static BinaryFile openForReading(const Path& path);
    // A second handle for reading `file`, opened from `path`, on another thread at the same time.
    // On Linux it shares the open file, whose read-ahead then sees both threads' reads as one
    // stream (reads at an offset leave the shared position alone). On Windows the file is opened
    // again: a handle reads one thing at a time, and a read at an offset moves its position.
    static BinaryFile openAnotherReader(const BinaryFile& file, const Path& path);
    // Creates the file or empties an existing one, for writing as raw bytes.
    static BinaryFile createForWriting(const Path& path);
    // Opens an existing file for writing from its start, its bytes left as they are until
    // written over. For a file just created empty: emptying it once more is not free (ext4
    // takes a file emptied to nothing for one being replaced and starts writing it to the disk
    // when it is closed, and Wine's replacing open empties it the same way).
    static BinaryFile openForWriting(const Path& path);

    bool isOpen() const { return handle_ != kNoHandle; }
    // Bytes read into `buffer`: fewer than `size` only at the end of the file or on an error.
    std::size_t read(void* buffer, std::size_t size);
    // The same at `offset`, wherever the file stands; afterwards the file stands where the
    // platform leaves it (seek before reading on with read()). Not for two threads at once.
    std::size_t readAt(std::int64_t offset, void* buffer, std::size_t size);
    // True when every byte was written.
    bool write(const void* buffer, std::size_t size);
    // Moves to an absolute offset; false when the platform refuses.
    bool seek(std::int64_t offset);
    std::int64_t position() const { return position_; }
    // The file's length in bytes, or -1.
    std::int64_t length() const;
    // Cuts the file off at `length` bytes (no more than it holds); false when it cannot.
    bool truncate(std::int64_t length);
    void close();

private:
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t handle_ = kNoHandle;
    std::int64_t position_ = 0;
};

bool deleteFile(const Path& path);
bool fileExists(const Path& path);
bool isDirectory(const Path& path);
// Replaces `target` by `source` in one step (both in the same folder); false when it cannot.
bool replaceFile(const Path& source, const Path& target);
// Gives `source` the name `target` (in the same folder) when nothing has that name; false
// otherwise, `source` left as it was.
bool renameToFreeName(const Path& source, const Path& target);

// The settings files are left hidden and read-only for the unit; before rewriting one the
// attributes go back to normal. Where the platform has no hidden attribute, only the write
// permission changes.
bool setNormalAttributes(const Path& path);
bool setHiddenReadOnlyAttributes(const Path& path);

// A file's attributes as the platform keeps them (the Windows attribute bits, or the POSIX
// permission bits), so that a failed rewrite can put back exactly what the file had.
struct FileAttributes {
    std::uint32_t bits = 0;
};
// False when the file does not exist or cannot be examined.
bool readFileAttributes(const Path& path, FileAttributes& attributes);
bool restoreFileAttributes(const Path& path, FileAttributes attributes);

// Creates an empty file with a unique name beginning with `prefix` in `folder` and returns its
// path, or an empty path when it cannot.
Path createUniqueFile(const Path& folder, const wchar_t* prefix);
// The user's folder for temporary files, or an empty path.
Path temporaryFolder();

// The names (not paths) of the entries of `folder`, in the order the system gives them; false
// when the folder cannot be enumerated.
bool listFolder(const Path& folder, std::vector<std::wstring>& names);

// Local calendar time to seconds since 1970-01-01 UTC, the system deciding daylight saving;
// -1 when the system cannot convert it.
std::int64_t localTimeToSeconds(const std::tm& local);
// Seconds since 1970 to local calendar time; false when the system cannot convert it.
bool secondsToLocalTime(std::int64_t seconds, std::tm& local);

}  // namespace tavrin
