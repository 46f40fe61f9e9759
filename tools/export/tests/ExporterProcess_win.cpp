#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <stdexcept>

#include "recording/TextEncoding.h"
#include "tests/e2e/HostCommand.h"
#include "tests/e2e/ViewerSession.h"
#include "tests/support/TestFolder.h"
#include "tools/export/tests/ExporterProcess.h"

namespace tavrin::exporttest {

namespace {

constexpr DWORD kRunTimeoutMs = 300000;

// One argument as the C runtime's command-line parser reads it back.
std::wstring quoted(const std::wstring& arg) {
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

// The NAME of a NAME=VALUE setting, upper-cased: Windows compares them without case.
std::wstring settingName(const std::wstring& setting) {
    std::wstring name = setting.substr(0, setting.find(L'=', 1));
    for (wchar_t& c : name) c = static_cast<wchar_t>(towupper(c));
    return name;
}

// This program's environment with `extra` settings put in place of any of the same name, as a
// block for CreateProcessW.
std::wstring environmentBlock(const std::vector<std::wstring>& extra) {
    std::wstring block;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* e = strings; *e != L'\0'; e += wcslen(e) + 1) {
        const std::wstring setting = e;
        const bool replaced = std::any_of(extra.begin(), extra.end(), [&](const std::wstring& x) {
            return settingName(x) == settingName(setting);
        });
        if (replaced) continue;
        block += setting;
        block += L'\0';
    }
    FreeEnvironmentStringsW(strings);
    for (const std::wstring& setting : extra) {
        block += setting;
        block += L'\0';
    }
    return block + L'\0';
}

HANDLE inheritableFile(const Path& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE startExporter(const std::vector<std::wstring>& args,
                     const std::vector<std::wstring>& environment, const Path& out,
                     const Path& err) {
    const std::wstring program = e2e::hostPathToWine(TAVRIN_EXPORT_PROGRAM);
    std::wstring commandLine = quoted(program);
    for (const std::wstring& arg : args) commandLine += L" " + quoted(arg);
    std::wstring block = environmentBlock(environment);
    HANDLE outFile = inheritableFile(out);
    HANDLE errFile = inheritableFile(err);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outFile;
    startup.hStdError = errFile;
    PROCESS_INFORMATION info{};
    const BOOL started =
        CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup, &info);
    CloseHandle(outFile);
    CloseHandle(errFile);
    if (!started) throw std::runtime_error("tavrin-export.exe did not start");
    CloseHandle(info.hThread);
    return info.hProcess;
}

}  // namespace

ExportRun runExporter(const std::vector<std::wstring>& args,
                      const std::vector<std::wstring>& environment) {
    test::TestFolder folder;
    const HANDLE process =
        startExporter(args, environment, folder.file(L"out"), folder.file(L"err"));
    ExportRun run;
    if (WaitForSingleObject(process, kRunTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        CloseHandle(process);
        throw std::runtime_error("tavrin-export.exe did not end");
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    run.exitCode = static_cast<int>(code);
    run.out = readText(folder.file(L"out"));
    run.err = readText(folder.file(L"err"));
    return run;
}

struct StartedExporter::Handle {
    test::TestFolder folder;
    HANDLE process = nullptr;
};

StartedExporter::StartedExporter(const std::vector<std::wstring>& args)
    : handle_(std::make_unique<Handle>()) {
    handle_->process = startExporter(args, temporaryFolderSettings(handle_->folder.file(L"temp")),
                                     handle_->folder.file(L"out"), handle_->folder.file(L"err"));
}

StartedExporter::~StartedExporter() {
    kill();
    CloseHandle(handle_->process);
}

bool StartedExporter::running() { return WaitForSingleObject(handle_->process, 0) == WAIT_TIMEOUT; }

void StartedExporter::kill() {
    if (!running()) return;
    TerminateProcess(handle_->process, 1);
    WaitForSingleObject(handle_->process, kRunTimeoutMs);
}

std::string runOnHost(const std::string& script) {
    test::TestFolder folder;
    test::writeBytes(folder.file(L"script.sh"), test::Bytes(script.begin(), script.end()));
    const std::string out = e2e::hostPath(folder.file(L"out"));
    e2e::runHostCommand("/bin/sh " + shellQuoted(e2e::hostPath(folder.file(L"script.sh"))) + " > " +
                            shellQuoted(out) + " 2> /dev/null; echo $? > " +
                            shellQuoted(e2e::hostPath(folder.file(L"status"))),
                        kRunTimeoutMs);
    if (readText(folder.file(L"status")).rfind("0", 0) != 0) {
        throw std::runtime_error("failed on the host: " + script);
    }
    return readText(folder.file(L"out"));
}

std::string hostPathOf(const Path& path) { return e2e::hostPath(path); }

}  // namespace tavrin::exporttest
