#pragma once

// What a running viewer holds, read from outside its process: memory, kernel handles, threads,
// GDI objects and windows. The load and soak tests compare these figures between rounds to find
// what a long session leaks.

#include <windows.h>

#include <cstdint>
#include <string>

namespace tavrin::e2e {

// -1 in a field: that figure could not be read.
struct ProcessFigures {
    std::int64_t privateKiB = -1;     // committed private (anonymous) memory
    std::int64_t workingSetKiB = -1;  // resident memory
    long handles = -1;                // kernel handles
    long threads = -1;
    long gdiObjects = -1;   // not counting the stock objects every process shares
    long userObjects = -1;  // see the note at readProcessFigures
};

// Reads the figures of process `processId`.
//
// Wine leaves several of the usual calls empty for another process, so each figure has a second
// source there: the private bytes are Wine's anonymous resident memory (PagefileUsage), the
// handle count comes from the system's list of open handles, the GDI objects are counted in the
// process's own GDI handle table (which Wine keeps in the process, named by its PEB), and the
// USER objects are counted as the process's windows (top-level, child and message-only), the
// USER objects a viewer creates and destroys with every recording; menus, cursors and icons are
// not in that count.
ProcessFigures readProcessFigures(DWORD processId);

// "memory 12345 KiB (working set 23456 KiB), handles 123, threads 9, gdi 40, user 30";
// "n/a" for a figure that could not be read.
std::string describe(const ProcessFigures& figures);

// The figures of process `processId` with what lives only during a paint left out.
ProcessFigures settledFigures(DWORD processId);

// Reads the settled figures of process `processId` and prints them as
// "[ figures  ] <when>: ...".
ProcessFigures reportFigures(DWORD processId, const std::string& when);

// Fails the test when `last` holds more than `first` beyond what a viewer that gives back what
// it takes varies by; `fileDialogsShown` is how many times the open-file dialog was used between
// the two.
void expectNoGrowth(const ProcessFigures& first, const ProcessFigures& last,
                    int fileDialogsShown = 0);

}  // namespace tavrin::e2e
