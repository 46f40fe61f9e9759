#pragma once

// Runs the built tavrin-export as a user would, and the recipient's tools (ffprobe, ffmpeg,
// sha256sum) on the Linux host: directly in the native build, and from the Windows build under
// Wine through Wine's start of Unix programs.

#include <memory>
#include <string>
#include <vector>

#include "recording/Platform.h"

namespace tavrin::exporttest {

struct ExportRun {
    int exitCode = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs tavrin-export with `args` and waits for it. `environment` adds NAME=VALUE settings.
ExportRun runExporter(const std::vector<std::wstring>& args,
                      const std::vector<std::wstring>& environment = {});

// tavrin-export started and left running, for tests that interrupt it. Its temporary files go to
// a folder of its own, removed with this object: a killed export cannot delete them itself, and
// every test run would otherwise leave them in the system's temporary folder.
class StartedExporter {
public:
    explicit StartedExporter(const std::vector<std::wstring>& args);
    ~StartedExporter();
    StartedExporter(const StartedExporter&) = delete;
    StartedExporter& operator=(const StartedExporter&) = delete;

    bool running();
    // Ends it at once, as a power cut or a task manager would: it gets no chance to tidy up.
    void kill();

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
};

// Runs `script` with the host's shell; its standard output. Throws std::runtime_error when the
// script cannot run or fails.
std::string runOnHost(const std::string& script);

// A path of this program as the host's tools see it.
std::string hostPathOf(const Path& path);

// The settings that point a program's temporary folder (TMPDIR, TMP, TEMP) at `folder`, which is
// created.
std::vector<std::wstring> temporaryFolderSettings(const Path& folder);

// A file's content as text.
std::string readText(const Path& path);

// `text` quoted for the host's shell.
std::string shellQuoted(const std::string& text);

}  // namespace tavrin::exporttest
