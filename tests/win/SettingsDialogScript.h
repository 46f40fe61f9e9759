#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tavrin::test {

// Works the dialogs and message boxes of a modal run from another thread, like a user: each
// step waits for a visible dialog box of this process with the given caption, then acts on it.
// Boxes the script answers are recorded as "caption|text". A step that never sees its window
// gives up, notes it, and cancels every dialog box of the process so the run cannot hang.
class DialogScript {
public:
    using Action = std::function<void(HWND)>;

    ~DialogScript() { finish(); }

    // Acts on the window without waiting for it to close (dialogs that stay open).
    DialogScript& act(std::wstring caption, Action action) {
        steps_.push_back({std::move(caption), std::move(action), false});
        return *this;
    }
    // Records a message box's text, answers it with button `id` and waits until it is gone.
    DialogScript& answer(std::wstring caption, int id) {
        steps_.push_back({std::move(caption), [id](HWND box) {
                              PostMessageW(box, WM_COMMAND, id, 0);
                          }, true});
        return *this;
    }

    void start() {
        thread_ = std::thread([this] { run(); });
    }
    // Waits for the script's end; true when every step found its window.
    bool finish() {
        if (thread_.joinable()) thread_.join();
        return missed_ < 0;
    }
    std::vector<std::wstring> boxes() {
        std::lock_guard<std::mutex> lock(mutex_);
        return boxes_;
    }
    // The step (counted from 0) whose window never came, or -1.
    int missed() const { return missed_; }

    // The visible dialog box of this process captioned `caption`, or null.
    static HWND findDialog(const std::wstring& caption) {
        struct Search {
            const std::wstring* caption;
            HWND found;
        } search = {&caption, nullptr};
        EnumWindows([](HWND window, LPARAM data) {
            auto* s = reinterpret_cast<Search*>(data);
            if (!isOurDialogBox(window) || !IsWindowVisible(window)) return TRUE;
            wchar_t text[128] = {};
            GetWindowTextW(window, text, 128);
            if (*s->caption != text) return TRUE;
            s->found = window;
            return FALSE;
        }, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    static std::wstring itemText(HWND dialog, int id) {
        wchar_t text[512] = {};
        GetDlgItemTextW(dialog, id, text, 512);
        return text;
    }

private:
    struct Step {
        std::wstring caption;
        Action action;
        bool waitGone;
    };

    static bool isOurDialogBox(HWND window) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        return process == GetCurrentProcessId() && std::wstring(name) == L"#32770";
    }

    void run() {
        // Generous: a loaded machine under Wine has taken seconds to bring a box up.
        constexpr auto kPatience = std::chrono::seconds(20);
        for (std::size_t index = 0; index < steps_.size(); ++index) {
            const Step& step = steps_[index];
            const auto giveUp = std::chrono::steady_clock::now() + kPatience;
            HWND window = nullptr;
            while (!(window = findDialog(step.caption)) &&
                   std::chrono::steady_clock::now() < giveUp)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (!window) {
                missed_ = static_cast<int>(index);
                cancelEverything();
                return;
            }
            if (step.waitGone) {
                std::lock_guard<std::mutex> lock(mutex_);
                // 0xFFFF: the text of a message box.
                boxes_.push_back(step.caption + L"|" + itemText(window, 0xFFFF));
            }
            step.action(window);
            while (step.waitGone && IsWindow(window) && std::chrono::steady_clock::now() < giveUp)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    static void cancelEverything() {
        for (int round = 0; round < 50; ++round) {
            bool any = false;
            EnumWindows([](HWND window, LPARAM data) {
                if (isOurDialogBox(window) && IsWindowVisible(window)) {
                    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                    *reinterpret_cast<bool*>(data) = true;
                }
                return TRUE;
            }, reinterpret_cast<LPARAM>(&any));
            if (!any) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    std::vector<Step> steps_;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::wstring> boxes_;
    std::atomic<int> missed_{-1};
};

}  // namespace tavrin::test
