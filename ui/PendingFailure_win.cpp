#include "ui/PendingFailure_win.h"

#include <mutex>

namespace tavrin {
namespace {

// Procedures run on the user-interface thread only, but the lock costs nothing and keeps a stray
// call from another thread harmless.
std::mutex& failureLock() {
    static std::mutex lock;
    return lock;
}

std::exception_ptr& heldFailure() {
    static std::exception_ptr failure;
    return failure;
}

}  // namespace

void holdFailure(std::exception_ptr failure) {
    if (!failure) return;
    std::lock_guard<std::mutex> guard(failureLock());
    if (!heldFailure()) heldFailure() = std::move(failure);
}

bool hasHeldFailure() {
    std::lock_guard<std::mutex> guard(failureLock());
    return static_cast<bool>(heldFailure());
}

void rethrowHeldFailure() {
    std::exception_ptr failure;
    {
        std::lock_guard<std::mutex> guard(failureLock());
        failure.swap(heldFailure());
    }
    if (failure) std::rethrow_exception(failure);
}

}  // namespace tavrin
