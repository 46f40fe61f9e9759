#pragma once

#include <cstdint>
#include <deque>
#include <thread>
#include <vector>

#include "recording/Platform.h"
#include "recording/Synchronisation.h"

namespace tavrin {

// Writes to a file on a thread of its own, so that whoever hands over the bytes goes on while the
// system copies them. Write errors are ignored. The thread stays from one file to the next.
class BackgroundWriter {
public:
    // Where write() and writeRun() copy the bytes into the file; deletions always go to the
    // thread. A caller that has time to spare anyway writes them itself, and leaves the
    // processors to threads that have none.
    enum class Writes { onItsThread, onCallersThread };

    explicit BackgroundWriter(Writes writes = Writes::onItsThread) : writes_(writes) {}
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;
    ~BackgroundWriter();

    // Queues the bytes of `buffer` from `from` on for `file`, and leaves the buffer empty, with
    // the memory of one written before when there is one. `file` must stay open until drain().
    void write(BinaryFile& file, std::vector<std::uint8_t>& buffer, std::size_t from = 0);
    // Queues `count` bytes of `value`.
    void writeRun(BinaryFile& file, std::uint8_t value, std::int64_t count);
    // Queues the deletion of the (closed) file at `path`; a failing delete is ignored.
    void deleteLater(const Path& path);
    // Returns once everything queued is in the file.
    void drain();

private:
    struct Job {
        BinaryFile* file;  // null for a deletion
        std::vector<std::uint8_t> bytes;
        std::size_t from;  // the first byte of `bytes` to write
        std::uint8_t value;
        std::int64_t runLength;  // bytes of value; 0 for a buffer
        Path doomed;             // the file to delete
    };

    // The writing thread's own buffers, kept from job to job.
    struct Scratch {
        std::vector<std::uint8_t> run;      // a piece of a run
        std::vector<std::uint8_t> staging;  // bytes moved to where they copy fast
    };

    void queue(Job job);
    void run();
    // Writes the job's bytes, or deletes its file, and empties its buffer. A run without the
    // memory to spell it out is lost, as a failed write would be; performOrThrow() throws instead.
    static void perform(Job& job, Scratch& scratch);
    static void performOrThrow(Job& job, Scratch& scratch);
    // Keeps a written buffer's memory for the next write(); the lock is held.
    void keepBuffer(Job& job);

    const Writes writes_;
    Scratch callersScratch_;  // used by the caller's thread only
    Mutex lock_;
    ConditionVariable wake_;
    ConditionVariable idle_;
    std::deque<Job> jobs_;
    std::vector<std::vector<std::uint8_t>> spare_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace tavrin
