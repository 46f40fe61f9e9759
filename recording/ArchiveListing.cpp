#include "recording/ArchiveListing.h"

#include <algorithm>
#include <cwctype>

#include "recording/ArchiveStartTimes.h"
#include "ui/Exception.h"
#include "ui/Messages.h"

namespace tavrin {

namespace {

constexpr std::size_t kPathLimit = 260;

[[noreturn]] void cannotRead() { throw VideoArchiveException(loadMessage(5510)); }

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

bool isArchiveFileName(const Path& path) {
    std::size_t separator = path.rfind(kPathSeparator);
    Path name = separator == Path::npos ? path : path.substr(separator + 1);
    if (name.size() != 12) return false;
    for (wchar_t& c : name) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 7}) {
        if (!isDigit(name[i])) return false;
    }
    return name[4] == L'_' && name.compare(8, 4, L".DAT") == 0;
}

std::int32_t listArchives(const Path& path, std::vector<std::unique_ptr<ArchiveEntry>>& list,
                          std::int32_t& count) {
    count = 0;
    std::size_t separator = path.rfind(kPathSeparator);
    Path folder = separator == Path::npos ? Path() : path.substr(0, separator);
    std::vector<std::wstring> names;
    if (!listFolder(folder, names)) cannotRead();

    std::vector<Path> paths;
    for (const std::wstring& name : names) {
        if (isArchiveFileName(name)) paths.push_back(folder + kPathSeparator + name);
    }
    const std::vector<std::int64_t> startTimes = readArchiveStartTimes(paths);
    std::vector<std::unique_ptr<ArchiveEntry>> found;
    found.reserve(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        auto entry = std::make_unique<ArchiveEntry>();
        entry->path = std::move(paths[i]);
        entry->startTime = startTimes[i];
        found.push_back(std::move(entry));
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a->startTime < b->startTime;
    });
    list = std::move(found);

    std::int32_t position = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i]->path == path) position = static_cast<std::int32_t>(i);
    }
    if (list.empty()) cannotRead();
    count = static_cast<std::int32_t>(list.size());
    return position;
}

Path parentFolderOf(const Path& path) {
    Path folder = path.substr(0, std::min(path.size(), kPathLimit - 1));
    while (!folder.empty() && folder.back() == kPathSeparator) folder.pop_back();
    std::size_t cut = folder.rfind(kPathSeparator);
    if (cut == Path::npos || cut == 0) return folder;
    while (cut > 0 && folder[cut - 1] == kPathSeparator) --cut;
    // A path whose only separators lead it stays whole.
    if (cut == 0) return folder;
    return folder.substr(0, cut);
}

}  // namespace tavrin
