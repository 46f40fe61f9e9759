#include <time.h>
#include <windows.h>

#include "recording/Platform.h"

namespace tavrin {

const wchar_t kPathSeparator = L'\\';

namespace {

HANDLE native(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// A handle for writing, as the file's raw number (INVALID_HANDLE_VALUE is -1).
std::intptr_t openWritable(const Path& path, DWORD disposition) {
    return reinterpret_cast<std::intptr_t>(
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

BinaryFile BinaryFile::openForReading(const Path& path) {
    BinaryFile file;
    // Full sharing: the unit's card may be read by another copy of the viewer at the same time.
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    file.handle_ = reinterpret_cast<std::intptr_t>(h);  // INVALID_HANDLE_VALUE is -1
    return file;
}

BinaryFile BinaryFile::openAnotherReader(const BinaryFile&, const Path& path) {
    return openForReading(path);
}

BinaryFile BinaryFile::createForWriting(const Path& path) {
    BinaryFile file;
    file.handle_ = openWritable(path, CREATE_ALWAYS);
    return file;
}

BinaryFile BinaryFile::openForWriting(const Path& path) {
    BinaryFile file;
    file.handle_ = openWritable(path, OPEN_EXISTING);
    return file;
}

std::size_t BinaryFile::read(void* buffer, std::size_t size) {
    if (!isOpen()) return 0;
    std::size_t done = 0;
    while (done < size) {
        DWORD chunk = size - done > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size - done);
        DWORD got = 0;
        if (!ReadFile(native(handle_), static_cast<char*>(buffer) + done, chunk, &got, nullptr) ||
            got == 0) {
            break;
        }
        done += got;
    }
    position_ += static_cast<std::int64_t>(done);
    return done;
}

std::size_t BinaryFile::readAt(std::int64_t offset, void* buffer, std::size_t size) {
    // A seek and a plain read: an offset handed to ReadFile would also make Wine post a
    // completion to its server for every read.
    if (!seek(offset)) return 0;
    return read(buffer, size);
}

bool BinaryFile::write(const void* buffer, std::size_t size) {
    if (!isOpen()) return false;
    std::size_t done = 0;
    while (done < size) {
        DWORD chunk = size - done > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size - done);
        DWORD put = 0;
        if (!WriteFile(native(handle_), static_cast<const char*>(buffer) + done, chunk, &put,
                       nullptr) ||
            put == 0) {
            break;
        }
        done += put;
    }
    position_ += static_cast<std::int64_t>(done);
    return done == size;
}

bool BinaryFile::seek(std::int64_t offset) {
    if (!isOpen() || offset < 0) return false;
    LARGE_INTEGER to;
    to.QuadPart = offset;
    if (!SetFilePointerEx(native(handle_), to, nullptr, FILE_BEGIN)) return false;
    position_ = offset;
    return true;
}

std::int64_t BinaryFile::length() const {
    LARGE_INTEGER size;
    if (!isOpen() || !GetFileSizeEx(native(handle_), &size)) return -1;
    return size.QuadPart;
}

bool BinaryFile::truncate(std::int64_t length) {
    LARGE_INTEGER at;
    at.QuadPart = length;
    if (!isOpen() || length < 0 || !SetFilePointerEx(native(handle_), at, nullptr, FILE_BEGIN)) {
        return false;
    }
    position_ = length;
    return SetEndOfFile(native(handle_)) != 0;
}

void BinaryFile::close() {
    if (isOpen()) CloseHandle(native(handle_));
    handle_ = kNoHandle;
    position_ = 0;
}

bool deleteFile(const Path& path) { return DeleteFileW(path.c_str()) != 0; }

bool fileExists(const Path& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isDirectory(const Path& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool replaceFile(const Path& source, const Path& target) {
    return MoveFileExW(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool renameToFreeName(const Path& source, const Path& target) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
    return MoveFileExW(source.c_str(), target.c_str(), 0) != 0;
}

bool setNormalAttributes(const Path& path) {
    return SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

bool setHiddenReadOnlyAttributes(const Path& path) {
    return SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY) != 0;
}

bool readFileAttributes(const Path& path, FileAttributes& attributes) {
    const DWORD bits = GetFileAttributesW(path.c_str());
    if (bits == INVALID_FILE_ATTRIBUTES) return false;
    attributes.bits = bits;
    return true;
}

bool restoreFileAttributes(const Path& path, FileAttributes attributes) {
    return SetFileAttributesW(path.c_str(), attributes.bits) != 0;
}

Path createUniqueFile(const Path& folder, const wchar_t* prefix) {
    wchar_t name[MAX_PATH];
    // Unique number 0: the system picks a free name and creates the file.
    if (GetTempFileNameW(folder.c_str(), prefix, 0, name) == 0) return {};
    return name;
}

Path temporaryFolder() {
    wchar_t folder[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) return {};
    return Path(folder, length);
}

bool listFolder(const Path& folder, std::vector<std::wstring>& names) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

std::int64_t localTimeToSeconds(const std::tm& local) {
    std::tm copy = local;
    return static_cast<std::int64_t>(_mktime64(&copy));
}

bool secondsToLocalTime(std::int64_t seconds, std::tm& local) {
    __time64_t t = seconds;
    return _localtime64_s(&local, &t) == 0;
}

}  // namespace tavrin
