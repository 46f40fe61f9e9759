#pragma once

#include <mutex>

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#include <immintrin.h>
#else
#include <thread>
#endif

#if !defined(_WIN32)
#include <condition_variable>
#endif

namespace tavrin {

// The lock and the condition variable of hand-overs between the scan, the reading thread and
// the writer. On Windows they are the system's slim lock and condition variable: the C++
// library's own go through its POSIX-threads layer, which waits on kernel semaphores, and under
// Wine every such wait and wake-up is a round trip to its server (a hand-over and back takes
// five to eight times as long as with the slim ones, which wait in-process).
#if defined(_WIN32)

class Mutex {
public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void lock();
    bool try_lock();
    void unlock();

private:
    friend class ConditionVariable;
    void* state_ = nullptr;  // the system's lock: one pointer, all zero when free
};

class ConditionVariable {
public:
    ConditionVariable() = default;
    ConditionVariable(const ConditionVariable&) = delete;
    ConditionVariable& operator=(const ConditionVariable&) = delete;

    // As std::condition_variable's: the lock is held on entry and on return.
    void wait(std::unique_lock<Mutex>& lock);
    template <typename Predicate>
    void wait(std::unique_lock<Mutex>& lock, Predicate ready) {
        while (!ready()) wait(lock);
    }
    void notify_one();
    void notify_all();

private:
    void* state_ = nullptr;  // the system's condition variable: one pointer, zero when new
};

#else

using Mutex = std::mutex;
using ConditionVariable = std::condition_variable;

#endif

// Between two looks at a value another processor is about to change: tells the processor that
// this is a wait, so that it neither wastes power nor slows its neighbour on the same core.
inline void pauseWhileWatching() {
#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
    _mm_pause();
#else
    std::this_thread::yield();
#endif
}

}  // namespace tavrin
