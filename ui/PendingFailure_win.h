#pragma once

#include <exception>

namespace tavrin {

// A failure thrown inside a window or dialog procedure cannot be left to unwind through user32
// (64-bit Windows does not carry it reliably across the system's frames). The procedure parks it
// here and ends the message loop; the loop's owner rethrows it once the loop has returned.

// Keeps `failure` unless one is already held: the first failure is the cause, later ones are
// usually its consequences. A null pointer is ignored.
void holdFailure(std::exception_ptr failure);

// True while a failure is held.
bool hasHeldFailure();

// Rethrows the held failure and forgets it; does nothing when none is held.
void rethrowHeldFailure();

}  // namespace tavrin
