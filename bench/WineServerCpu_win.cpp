#include "bench/WineServerCpu_win.h"

#include <windows.h>

#include <cctype>
#include <optional>

#include "bench/LinuxProc_win.h"
#include "recording/TextEncoding.h"

namespace tavrin::bench {
namespace {

// Debian's server is "wineserver64", upstream's "wineserver".
bool isWineServerName(const std::string& comm) { return comm.rfind("wineserver", 0) == 0; }

std::string trimmedLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\0')) text.pop_back();
    return text;
}

// Wine hands its Linux environment on to Windows programs; empty for the default prefix.
std::string ourPrefix() {
    const DWORD size = GetEnvironmentVariableW(L"WINEPREFIX", nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(L"WINEPREFIX", value.data(), size));
    return toUtf8(value);
}

std::string prefixOf(int pid) {
    std::optional<std::string> variables = readProcFile(std::to_string(pid), "environ");
    return variables ? environmentValue(*variables, "WINEPREFIX") : std::string();
}

std::string commOf(int pid) {
    std::optional<std::string> comm = readProcFile(std::to_string(pid), "comm");
    return comm ? trimmedLine(*comm) : std::string();
}

std::string lowerFileName(std::string path) {
    const std::size_t separator = path.find_last_of("/\\");
    if (separator != std::string::npos) path.erase(0, separator + 1);
    for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return path;
}

// Wine offers a Windows program no documented way to learn its Linux process id, and /proc/self
// names the wineserver; a Linux process started with this program's file name counts as this
// program (another copy of the benchmark running meanwhile would count too).
bool isThisProgram(int pid) {
    wchar_t module[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::optional<std::string> commandLine = readProcFile(std::to_string(pid), "cmdline");
    if (length == 0 || !commandLine) return false;
    const std::string program = commandLine->substr(0, commandLine->find('\0'));
    return lowerFileName(program) == lowerFileName(toUtf8(std::wstring(module, length)));
}

}  // namespace

WineServerCpu WineServerCpu::locate() {
    WineServerCpu server;
    if (!runningUnderWine()) return server;
    server.ticksPerSecond_ = clockTicksPerSecond();
    const std::string prefix = ourPrefix();
    std::vector<int> unmatched;
    for (int pid : linuxProcessIds()) {
        if (!isWineServerName(commOf(pid))) continue;
        if (!prefix.empty() && prefixOf(pid) == prefix) {
            server.processIds_.push_back(pid);
        } else {
            unmatched.push_back(pid);
        }
    }
    if (server.processIds_.empty()) {
        server.processIds_ = unmatched;
        server.summedUnmatched_ = unmatched.size() > 1;
    }
    return server;
}

double WineServerCpu::seconds() const {
    std::uint64_t ticks = 0;
    for (int pid : processIds_) ticks += cpuTicks(std::to_string(pid)).value_or(0);
    return static_cast<double>(ticks) / ticksPerSecond_;
}

std::map<std::string, std::uint64_t> neighbourCpuTicks() {
    std::map<std::string, std::uint64_t> ticks;
    if (!runningUnderWine()) return ticks;
    const std::string prefix = ourPrefix();
    for (int pid : linuxProcessIds()) {
        if (prefix.empty() || prefixOf(pid) != prefix || isThisProgram(pid)) continue;
        const std::string comm = commOf(pid);
        if (isWineServerName(comm)) continue;
        std::optional<std::uint64_t> used = cpuTicks(std::to_string(pid));
        if (used) ticks[std::to_string(pid) + " " + comm] = *used;
    }
    return ticks;
}

}  // namespace tavrin::bench
