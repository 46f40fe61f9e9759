#include <windows.h>

#include "recording/Synchronisation.h"

namespace tavrin {

namespace {

static_assert(sizeof(SRWLOCK) == sizeof(void*) && sizeof(CONDITION_VARIABLE) == sizeof(void*),
              "the system's lock and condition variable are held in one pointer each");

PSRWLOCK slimLock(void*& state) { return reinterpret_cast<PSRWLOCK>(&state); }

}  // namespace

void Mutex::lock() { AcquireSRWLockExclusive(slimLock(state_)); }

bool Mutex::try_lock() { return TryAcquireSRWLockExclusive(slimLock(state_)) != 0; }

void Mutex::unlock() { ReleaseSRWLockExclusive(slimLock(state_)); }

void ConditionVariable::wait(std::unique_lock<Mutex>& lock) {
    // Without a time-out the wait only ends woken (or spuriously, which callers allow for).
    SleepConditionVariableSRW(reinterpret_cast<PCONDITION_VARIABLE>(&state_),
                              slimLock(lock.mutex()->state_), INFINITE, 0);
}

void ConditionVariable::notify_one() {
    WakeConditionVariable(reinterpret_cast<PCONDITION_VARIABLE>(&state_));
}

void ConditionVariable::notify_all() {
    WakeAllConditionVariable(reinterpret_cast<PCONDITION_VARIABLE>(&state_));
}

}  // namespace tavrin
