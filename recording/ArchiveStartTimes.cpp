#include "recording/ArchiveStartTimes.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

#include "recording/ArchiveHeader.h"
#include "ui/Exception.h"
#include "ui/Messages.h"

namespace tavrin {

namespace {

// Fewer archives than this are read on the calling thread alone: starting threads would cost
// more than it saves.
constexpr std::size_t kArchivesPerThread = 64;
// Enough reads in flight to keep the other process (or the card) busy; more only add switching.
constexpr std::size_t kMostThreads = 4;
// Each thread takes this many archives at a time from the shared count.
constexpr std::size_t kBatch = 8;

std::int64_t readStartTimeOf(const Path& path) {
    BinaryFile file = BinaryFile::openForReading(path);
    if (!file.isOpen()) throw VideoArchiveException(loadMessage(5510));
    return readArchiveStartTime(file);
}

class StartTimeReading {
public:
    explicit StartTimeReading(const std::vector<Path>& paths)
        : paths_(paths), times_(paths.size(), 0), failures_(paths.size()) {}

    void work() {
        for (;;) {
            const std::size_t from = next_.fetch_add(kBatch);
            if (from >= paths_.size()) return;
            const std::size_t to = std::min(from + kBatch, paths_.size());
            for (std::size_t i = from; i < to; ++i) {
                try {
                    times_[i] = readStartTimeOf(paths_[i]);
                } catch (...) {
                    failures_[i] = std::current_exception();
                }
            }
        }
    }

    // The times, or what the first archive in the list's order that failed threw.
    std::vector<std::int64_t> result() {
        for (const std::exception_ptr& failure : failures_) {
            if (failure) std::rethrow_exception(failure);
        }
        return std::move(times_);
    }

private:
    const std::vector<Path>& paths_;
    std::vector<std::int64_t> times_;
    std::vector<std::exception_ptr> failures_;
    std::atomic<std::size_t> next_{0};
};

}  // namespace

std::vector<std::int64_t> readArchiveStartTimes(const std::vector<Path>& paths) {
    StartTimeReading reading(paths);
    const std::size_t threadCount =
        std::clamp<std::size_t>(paths.size() / kArchivesPerThread, 1, kMostThreads);
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < threadCount; ++i) {
        try {
            threads.emplace_back([&reading] { reading.work(); });
        } catch (const std::system_error&) {
            break;  // the threads there are, and this one, read the rest
        }
    }
    reading.work();
    for (std::thread& thread : threads) thread.join();
    return reading.result();
}

}  // namespace tavrin
