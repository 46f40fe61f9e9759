#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace tavrin::test {

// Answers every warning box that appears on the desktop while it runs, counting them.
class WarningBoxCloser {
public:
    WarningBoxCloser() : thread_([this] { run(); }) {}
    ~WarningBoxCloser() { stop(); }
    void stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    int boxes() const { return boxes_; }
    HWND owner() const { return owner_; }
    const std::vector<std::wstring>& texts() const { return texts_; }

private:
    void run() {
        while (!stop_) {
            HWND box = FindWindowW(L"#32770", L"警告");
            if (!box) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                continue;
            }
            ++boxes_;
            owner_ = GetWindow(box, GW_OWNER);
            EnumChildWindows(box, [](HWND child, LPARAM self) {
                wchar_t text[512] = {};
                GetWindowTextW(child, text, 512);
                reinterpret_cast<WarningBoxCloser*>(self)->texts_.push_back(text);
                return TRUE;
            }, reinterpret_cast<LPARAM>(this));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            while (IsWindow(box) && !stop_)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    std::atomic<bool> stop_{false};
    std::atomic<int> boxes_{0};
    std::atomic<HWND> owner_{nullptr};
    std::vector<std::wstring> texts_;
    std::thread thread_;
};

}  // namespace tavrin::test
