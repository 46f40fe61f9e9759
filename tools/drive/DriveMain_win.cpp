// tavrin-drive: runs the viewer and works it like a user, from a script of one command a line.
//
//   tavrin-drive PROGRAM SCRIPT
//
// Commands (blank lines and lines starting with # are skipped):
//   start                      start PROGRAM and wait for its main window
//   menu ID                    choose the menu command ID
//   open-file PATH             confirm PATH in the open-file dialog that is showing
//   answer CAPTION ok|cancel   press a button of the message box with this caption
//   press CAPTION ok|cancel    press a button of the dialog with this caption, which may stay
//                              open (a settings dialog asking for confirmation first)
//   click X Y                  left click at a point of the main window's client area
//   drag X1 Y1 X2 Y2           drag with the left button between two such points
//   wait MS                    let MS milliseconds pass
//   screenshot PATH            save the main window as a PNG file
//   screenshot-area X Y W H PATH
//                              save a part of the main window's client area as a PNG file; a
//                              negative X or Y counts from the right or bottom edge, a W or H of
//                              0 reaches to that edge (the panels hang off those edges)
//   close                      close the main window
//   wait-exit MS               wait for the program to end
//   stay                       wait, without limit, for the person at the screen to end it
// Exit code 0 when every command worked.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "recording/TextEncoding.h"
#include "tools/drive/ViewerDriver_win.h"

using namespace tavrin;
using namespace tavrin::drive;

namespace {

constexpr DWORD kDialogTimeoutMs = 20000;

class ScriptRunner {
public:
    explicit ScriptRunner(std::wstring program) : program_(std::move(program)) {}

    // False, after saying why, when a command failed.
    bool run(const std::wstring& line) {
        std::wistringstream words(line);
        std::wstring command;
        words >> command;
        if (command.empty() || command[0] == L'#') return true;
        std::wstring rest;
        std::getline(words >> std::ws, rest);
        std::printf("drive: %s\n", toUtf8(line).c_str());
        std::fflush(stdout);
        if (command == L"start") return start();
        if (!viewer_ && command != L"wait") return fail("the viewer has not been started");
        if (command == L"menu") {
            chooseMenuCommand(main_, std::stoi(rest));
            return true;
        }
        if (command == L"open-file") return openFile(rest);
        if (command == L"answer") return answer(rest, true);
        if (command == L"press") return answer(rest, false);
        if (command == L"click" || command == L"drag") return mouse(command, rest);
        if (command == L"wait") {
            pause(static_cast<DWORD>(std::stoul(rest)));
            return true;
        }
        if (command == L"screenshot") {
            if (!savePicture(capture(main_, false), rest)) return fail("cannot save the screenshot");
            std::printf("drive: screenshot saved to %s\n", toUtf8(rest).c_str());
            return true;
        }
        if (command == L"screenshot-area") return screenshotArea(rest);
        if (command == L"close") {
            PostMessageW(main_, WM_CLOSE, 0, 0);
            return true;
        }
        if (command == L"wait-exit") {
            if (!viewer_->waitForExit(static_cast<DWORD>(std::stoul(rest))))
                return fail("the viewer did not end");
            return true;
        }
        if (command == L"stay") {
            viewer_->waitForExit(INFINITE);
            return true;
        }
        return fail("unknown command");
    }

private:
    bool fail(const char* why) {
        std::fprintf(stderr, "drive: %s\n", why);
        return false;
    }

    bool start() {
        viewer_ = std::make_unique<ViewerProcess>(program_);
        main_ = viewer_->mainWindow(kDialogTimeoutMs);
        return main_ != nullptr || fail("no main window appeared");
    }

    bool openFile(const std::wstring& path) {
        const std::string failure = openThroughDialog(viewer_->id(), path, kDialogTimeoutMs);
        return failure.empty() || fail(failure.c_str());
    }

    bool answer(const std::wstring& rest, bool waitUntilGone) {
        const std::size_t space = rest.rfind(L' ');
        if (space == std::wstring::npos) return fail("answer needs a caption and a button");
        const std::wstring caption = rest.substr(0, space);
        const std::wstring button = rest.substr(space + 1);
        HWND box = waitForWindow(viewer_->id(), L"#32770", caption.c_str(), kDialogTimeoutMs);
        if (!box) return fail("no such message box");
        for (const std::wstring& text : childTexts(box))
            if (!text.empty()) std::printf("drive:   box says: %s\n", toUtf8(text).c_str());
        pressDialogButton(box, button == L"cancel" ? IDCANCEL : IDOK);
        if (!waitUntilGone) return true;
        return waitForWindowGone(box, kDialogTimeoutMs) || fail("the box stayed");
    }

    bool mouse(const std::wstring& command, const std::wstring& rest) {
        std::wistringstream numbers(rest);
        std::vector<LONG> values;
        for (LONG v; numbers >> v;) values.push_back(v);
        if (command == L"click" && values.size() == 2) {
            click(main_, {values[0], values[1]});
            return true;
        }
        if (command == L"drag" && values.size() == 4) {
            drag(main_, {values[0], values[1]}, {values[2], values[3]}, 10, 30);
            return true;
        }
        return fail("wrong number of coordinates");
    }

    bool screenshotArea(const std::wstring& rest) {
        std::wistringstream words(rest);
        int x = 0, y = 0, width = 0, height = 0;
        std::wstring path;
        if (!(words >> x >> y >> width >> height) || !std::getline(words >> std::ws, path) ||
            path.empty())
            return fail("screenshot-area needs X Y W H PATH");
        const ScreenPicture client = capture(main_, true);
        if (x < 0) x += client.width;
        if (y < 0) y += client.height;
        if (width == 0) width = client.width - x;
        if (height == 0) height = client.height - y;
        if (x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > client.width ||
            y + height > client.height)
            return fail("the area is not inside the client area");
        if (!savePicture(cropped(client, x, y, width, height), path))
            return fail("cannot save the screenshot");
        std::printf("drive: area %d %d %d %d saved to %s\n", x, y, width, height,
                    toUtf8(path).c_str());
        return true;
    }

    // The part of `whole` whose top-left corner is (x, y), counted from the top as callers do;
    // the rows stay bottom-up like every other picture here.
    static ScreenPicture cropped(const ScreenPicture& whole, int x, int y, int width,
                                 int height) {
        ScreenPicture part;
        part.width = width;
        part.height = height;
        part.pixels.resize(static_cast<std::size_t>(width) * height * 4);
        for (int row = 0; row < height; ++row) {
            const int wholeRow = whole.height - 1 - (y + row);
            const int partRow = height - 1 - row;
            std::memcpy(&part.pixels[static_cast<std::size_t>(partRow) * width * 4],
                        &whole.pixels[(static_cast<std::size_t>(wholeRow) * whole.width + x) * 4],
                        static_cast<std::size_t>(width) * 4);
        }
        return part;
    }

    std::wstring program_;
    std::unique_ptr<ViewerProcess> viewer_;
    HWND main_ = nullptr;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tavrin-drive PROGRAM SCRIPT\n");
        return 2;
    }
    std::FILE* script = _wfopen(argv[2], L"rb");
    if (!script) {
        std::fprintf(stderr, "drive: cannot read the script\n");
        return 2;
    }
    std::string text;
    for (int c; (c = std::fgetc(script)) != EOF;) text += static_cast<char>(c);
    std::fclose(script);

    try {
        ScriptRunner runner(argv[1]);
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!runner.run(fromUtf8(line))) return 1;
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "drive: %s\n", failure.what());
        return 1;
    }
    return 0;
}
