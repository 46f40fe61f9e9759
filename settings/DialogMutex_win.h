#pragma once

#include <windows.h>

namespace tavrin {

// The guard a copy of the viewer holds while one of its settings dialogs is open, so that other
// copies can tell the user. It never blocks: a copy that finds the guard taken only learns so,
// and holds nothing itself.
class DialogMutex {
public:
    static constexpr const wchar_t* kName = L"SOLVARA_VIEWER";

    DialogMutex();
    virtual ~DialogMutex();
    DialogMutex(const DialogMutex&) = delete;
    DialogMutex& operator=(const DialogMutex&) = delete;

    // True when another holder (normally another copy of the viewer) had the guard already.
    bool heldElsewhere() const { return heldElsewhere_; }
    // True while this object keeps the guard; false also when it could not be created at all.
    bool holds() const { return handle_ != nullptr; }

private:
    wchar_t* name_;
    HANDLE handle_ = nullptr;
    bool heldElsewhere_ = false;
};

}  // namespace tavrin
