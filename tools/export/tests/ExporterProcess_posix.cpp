#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "recording/TextEncoding.h"
#include "tests/support/TestFolder.h"
#include "tools/export/tests/ExporterProcess.h"

extern char** environ;

namespace tavrin::exporttest {

namespace {

std::string settingName(const std::string& setting) { return setting.substr(0, setting.find('=')); }

// This program's environment with `extra` settings put in place of any of the same name.
std::vector<std::string> environmentWith(const std::vector<std::wstring>& extra) {
    std::vector<std::string> added;
    for (const std::wstring& setting : extra) added.push_back(toUtf8(setting));
    std::vector<std::string> all;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string setting = *e;
        const bool replaced = std::any_of(added.begin(), added.end(), [&](const std::string& x) {
            return settingName(x) == settingName(setting);
        });
        if (!replaced) all.push_back(setting);
    }
    all.insert(all.end(), added.begin(), added.end());
    return all;
}

pid_t spawnExporter(const std::vector<std::wstring>& args,
                    const std::vector<std::wstring>& environment, const std::string& outPath,
                    const std::string& errPath) {
    std::vector<std::string> words{TAVRIN_EXPORT_PROGRAM};
    for (const std::wstring& arg : args) words.push_back(toUtf8(arg));
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    std::vector<std::string> settings = environmentWith(environment);
    std::vector<char*> envp;
    for (std::string& s : settings) envp.push_back(s.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) throw std::runtime_error("tavrin-export did not start");
    return pid;
}

}  // namespace

ExportRun runExporter(const std::vector<std::wstring>& args,
                      const std::vector<std::wstring>& environment) {
    test::TestFolder folder;
    const Path out = folder.file(L"out");
    const Path err = folder.file(L"err");
    const pid_t pid = spawnExporter(args, environment, toUtf8(out), toUtf8(err));
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    ExportRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = readText(out);
    run.err = readText(err);
    return run;
}

struct StartedExporter::Handle {
    test::TestFolder folder;
    pid_t pid = -1;
    bool ended = false;
};

StartedExporter::StartedExporter(const std::vector<std::wstring>& args)
    : handle_(std::make_unique<Handle>()) {
    handle_->pid =
        spawnExporter(args, temporaryFolderSettings(handle_->folder.file(L"temp")),
                      toUtf8(handle_->folder.file(L"out")), toUtf8(handle_->folder.file(L"err")));
}

StartedExporter::~StartedExporter() { kill(); }

bool StartedExporter::running() {
    if (handle_->ended) return false;
    int status = 0;
    if (waitpid(handle_->pid, &status, WNOHANG) == handle_->pid) handle_->ended = true;
    return !handle_->ended;
}

void StartedExporter::kill() {
    if (handle_->ended) return;
    ::kill(handle_->pid, SIGKILL);
    int status = 0;
    waitpid(handle_->pid, &status, 0);
    handle_->ended = true;
}

std::string runOnHost(const std::string& script) {
    FILE* pipe = popen(script.c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("the shell did not start");
    std::string out;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        out.append(chunk, got);
    if (pclose(pipe) != 0) throw std::runtime_error("failed on the host: " + script);
    return out;
}

std::string hostPathOf(const Path& path) { return toUtf8(path); }

}  // namespace tavrin::exporttest
