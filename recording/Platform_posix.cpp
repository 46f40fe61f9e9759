#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cwchar>

#include "recording/Platform.h"
#include "recording/TextEncoding.h"

namespace tavrin {

const wchar_t kPathSeparator = L'/';

namespace {

int fd(std::intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

BinaryFile BinaryFile::openForReading(const Path& path) {
    BinaryFile file;
    int opened = ::open(toUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    // A folder opens for reading on Linux; on Windows it does not, and callers rely on that.
    if (opened >= 0 && (fstat(opened, &info) != 0 || S_ISDIR(info.st_mode))) {
        ::close(opened);
        opened = -1;
    }
    file.handle_ = opened;
    return file;
}

BinaryFile BinaryFile::openAnotherReader(const BinaryFile& file, const Path&) {
    BinaryFile another;
    if (file.isOpen()) another.handle_ = ::fcntl(fd(file.handle_), F_DUPFD_CLOEXEC, 0);
    return another;
}

BinaryFile BinaryFile::createForWriting(const Path& path) {
    BinaryFile file;
    file.handle_ = ::open(toUtf8(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return file;
}

BinaryFile BinaryFile::openForWriting(const Path& path) {
    BinaryFile file;
    file.handle_ = ::open(toUtf8(path).c_str(), O_WRONLY | O_CLOEXEC);
    return file;
}

std::size_t BinaryFile::read(void* buffer, std::size_t size) {
    if (!isOpen()) return 0;
    std::size_t done = 0;
    while (done < size) {
        ssize_t got = ::read(fd(handle_), static_cast<char*>(buffer) + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    position_ += static_cast<std::int64_t>(done);
    return done;
}

std::size_t BinaryFile::readAt(std::int64_t offset, void* buffer, std::size_t size) {
    if (!isOpen() || offset < 0) return 0;
    std::size_t done = 0;
    while (done < size) {
        ssize_t got = ::pread(fd(handle_), static_cast<char*>(buffer) + done, size - done,
                              static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool BinaryFile::write(const void* buffer, std::size_t size) {
    if (!isOpen()) return false;
    std::size_t done = 0;
    while (done < size) {
        ssize_t put = ::write(fd(handle_), static_cast<const char*>(buffer) + done, size - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) break;
        done += static_cast<std::size_t>(put);
    }
    position_ += static_cast<std::int64_t>(done);
    return done == size;
}

bool BinaryFile::seek(std::int64_t offset) {
    if (!isOpen() || offset < 0) return false;
    if (::lseek(fd(handle_), static_cast<off_t>(offset), SEEK_SET) < 0) return false;
    position_ = offset;
    return true;
}

std::int64_t BinaryFile::length() const {
    struct stat info {};
    if (!isOpen() || fstat(fd(handle_), &info) != 0) return -1;
    return static_cast<std::int64_t>(info.st_size);
}

bool BinaryFile::truncate(std::int64_t length) {
    return isOpen() && length >= 0 && ::ftruncate(fd(handle_), static_cast<off_t>(length)) == 0;
}

void BinaryFile::close() {
    if (isOpen()) ::close(fd(handle_));
    handle_ = kNoHandle;
    position_ = 0;
}

bool deleteFile(const Path& path) { return ::unlink(toUtf8(path).c_str()) == 0; }

bool fileExists(const Path& path) {
    struct stat info {};
    return ::stat(toUtf8(path).c_str(), &info) == 0;
}

bool isDirectory(const Path& path) {
    struct stat info {};
    return ::stat(toUtf8(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool replaceFile(const Path& source, const Path& target) {
    if (isDirectory(target)) return false;
    return ::rename(toUtf8(source).c_str(), toUtf8(target).c_str()) == 0;
}

bool renameToFreeName(const Path& source, const Path& target) {
    // A second name, then the first one gone: unlike rename(), this never takes the name of a
    // file that came in between.
    const std::string from = toUtf8(source);
    if (::link(from.c_str(), toUtf8(target).c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

bool setNormalAttributes(const Path& path) { return ::chmod(toUtf8(path).c_str(), 0644) == 0; }

bool setHiddenReadOnlyAttributes(const Path& path) {
    return ::chmod(toUtf8(path).c_str(), 0444) == 0;
}

bool readFileAttributes(const Path& path, FileAttributes& attributes) {
    struct stat info {};
    if (::stat(toUtf8(path).c_str(), &info) != 0) return false;
    attributes.bits = static_cast<std::uint32_t>(info.st_mode & 07777);
    return true;
}

bool restoreFileAttributes(const Path& path, FileAttributes attributes) {
    return ::chmod(toUtf8(path).c_str(), static_cast<mode_t>(attributes.bits)) == 0;
}

Path createUniqueFile(const Path& folder, const wchar_t* prefix) {
    std::string pattern = toUtf8(folder + kPathSeparator + prefix) + "XXXXXX";
    int opened = ::mkstemp(pattern.data());
    if (opened < 0) return {};
    ::close(opened);
    return fromUtf8(pattern);
}

Path temporaryFolder() {
    const char* dir = std::getenv("TMPDIR");
    return fromUtf8(dir != nullptr && *dir != '\0' ? dir : "/tmp");
}

bool listFolder(const Path& folder, std::vector<std::wstring>& names) {
    DIR* dir = ::opendir(toUtf8(folder).c_str());
    if (dir == nullptr) return false;
    while (const dirent* entry = ::readdir(dir)) names.push_back(fromUtf8(entry->d_name));
    ::closedir(dir);
    return true;
}

std::int64_t localTimeToSeconds(const std::tm& local) {
    std::tm copy = local;
    std::time_t seconds = std::mktime(&copy);
    return seconds == static_cast<std::time_t>(-1) ? -1 : static_cast<std::int64_t>(seconds);
}

bool secondsToLocalTime(std::int64_t seconds, std::tm& local) {
    if (seconds < 0) return false;  // as on Windows, where the conversion refuses times before 1970
    std::time_t t = static_cast<std::time_t>(seconds);
    return ::localtime_r(&t, &local) != nullptr;
}

}  // namespace tavrin
