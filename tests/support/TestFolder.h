#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "recording/Platform.h"
#include "recording/TextEncoding.h"

namespace tavrin::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh, empty folder under the temporary folder, removed with everything in it.
class TestFolder {
public:
    TestFolder() : path_(createUniqueFile(temporaryFolder(), L"tvt")) {
        deleteFile(path_);
        std::filesystem::create_directory(path_);
    }
    ~TestFolder() {
        std::error_code ignored;
        // Files left read-only (as the settings writer leaves them) cannot be deleted on Windows.
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
            setNormalAttributes(fromUtf8(entry.path().u8string()));
        }
        std::filesystem::remove_all(path_, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const Path& path() const { return path_; }
    Path file(const std::wstring& name) const { return path_ + kPathSeparator + name; }
    // The entries of the folder, without "." and "..".
    std::vector<std::wstring> entries() const {
        std::vector<std::wstring> names;
        std::vector<std::wstring> all;
        listFolder(path_, all);
        for (const std::wstring& name : all) {
            if (name != L"." && name != L"..") names.push_back(name);
        }
        return names;
    }

private:
    Path path_;
};

inline void writeBytes(const Path& path, const Bytes& bytes) {
    BinaryFile file = BinaryFile::createForWriting(path);
    file.write(bytes.data(), bytes.size());
}

inline Bytes readBytes(const Path& path) {
    BinaryFile file = BinaryFile::openForReading(path);
    Bytes bytes(file.isOpen() ? static_cast<std::size_t>(file.length()) : 0);
    bytes.resize(file.read(bytes.data(), bytes.size()));
    return bytes;
}

}  // namespace tavrin::test
