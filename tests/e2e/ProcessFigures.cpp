#include "tests/e2e/ProcessFigures.h"

#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "media/KernelHandle_win.h"

namespace tavrin::e2e {
namespace {

// The two ntdll calls, found at run time: ntdll is in every process, and no import library is
// needed for them.
using QuerySystemInformation = NTSTATUS(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
using QueryProcessInformation = NTSTATUS(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

template <typename Function>
Function ntdllFunction(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

bool runsOnWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"); }

void readMemory(HANDLE process, ProcessFigures& figures) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters))
        return;
    // Windows gives both; Wine leaves PrivateUsage at 0 and puts the anonymous resident memory
    // (plus swapped-out memory) into PagefileUsage.
    const SIZE_T privateBytes =
        counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
    figures.privateKiB = static_cast<std::int64_t>(privateBytes / 1024);
    figures.workingSetKiB = static_cast<std::int64_t>(counters.WorkingSetSize / 1024);
}

// The system's list of every open handle (SystemHandleInformation): a count header, then one
// entry per handle naming its process.
struct HandleEntry {
    ULONG processId;
    UCHAR objectType;
    UCHAR flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

long handlesInSystemList(DWORD processId) {
    const auto query = ntdllFunction<QuerySystemInformation>("NtQuerySystemInformation");
    if (!query) return -1;
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
    std::vector<std::uint8_t> list(1024 * 1024);
    NTSTATUS status;
    ULONG needed = 0;
    while ((status = query(kSystemHandleInformation, list.data(), static_cast<ULONG>(list.size()),
                           &needed)) == kInfoLengthMismatch)
        list.resize(list.size() * 2);
    if (status != 0) return -1;
    ULONG count = 0;
    std::memcpy(&count, list.data(), sizeof count);
    // The entries follow the count, aligned for their pointer.
    const auto* entries =
        reinterpret_cast<const HandleEntry*>(list.data() + alignof(HandleEntry));
    if (alignof(HandleEntry) + count * sizeof(HandleEntry) > list.size()) return -1;
    long handles = 0;
    for (ULONG i = 0; i < count; ++i)
        if (entries[i].processId == processId) ++handles;
    return handles;
}

long readHandleCount(HANDLE process, DWORD processId) {
    DWORD count = 0;
    // Wine answers this call with 0 for every process, itself included; and the count in its
    // process list is the size of the handle table (64, 128, ...), not the handles in it, so
    // the system's list of handles is counted instead.
    if (GetProcessHandleCount(process, &count) && count != 0) return static_cast<long>(count);
    return handlesInSystemList(processId);
}

long readThreadCount(DWORD processId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    const KernelHandle owned(snapshot);
    THREADENTRY32 thread{};
    thread.dwSize = sizeof thread;
    long count = 0;
    for (BOOL more = Thread32First(snapshot, &thread); more; more = Thread32Next(snapshot, &thread))
        if (thread.th32OwnerProcessID == processId) ++count;
    return count;
}

// Wine's GDI handle table: one 24-byte entry per handle, type 0 when free, the stock flag in the
// top bit of the first type byte. The process's PEB names the table, at the offset Windows
// gives its own shared handle table in a 64-bit PEB.
#pragma pack(push, 1)
struct GdiHandleEntry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint8_t extendedType;
    std::uint8_t generation;
    std::uint8_t type;
    std::uint8_t flags;
    std::uint64_t userPointer;
};
#pragma pack(pop)
static_assert(sizeof(GdiHandleEntry) == 24, "Wine's GDI handle entry is 24 bytes");
constexpr std::size_t kGdiHandleCount = 0x10000;
constexpr std::size_t kPebGdiHandleTableOffset = 0xF8;
constexpr std::uint8_t kStockFlag = 0x80;

long gdiObjectsFromHandleTable(HANDLE process) {
    const auto query = ntdllFunction<QueryProcessInformation>("NtQueryInformationProcess");
    if (!query) return -1;
    PROCESS_BASIC_INFORMATION basic{};
    ULONG length = 0;
    if (query(process, ProcessBasicInformation, &basic, sizeof basic, &length) != 0) return -1;
    std::uint64_t table = 0;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process,
                           static_cast<const std::uint8_t*>(static_cast<const void*>(
                               basic.PebBaseAddress)) + kPebGdiHandleTableOffset,
                           &table, sizeof table, &read) ||
        table == 0)
        return -1;
    std::vector<GdiHandleEntry> entries(kGdiHandleCount);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                           entries.size() * sizeof(GdiHandleEntry), &read))
        return -1;
    long count = 0;
    for (const GdiHandleEntry& entry : entries)
        if (entry.type != 0 && (entry.extendedType & kStockFlag) == 0) ++count;
    return count;
}

long readGdiObjects(HANDLE process) {
    // Wine's GetGuiResources is a stub that answers 0; a running viewer has many GDI objects.
    const DWORD count = GetGuiResources(process, GR_GDIOBJECTS);
    if (count != 0 || !runsOnWine()) return static_cast<long>(count);
    return gdiObjectsFromHandleTable(process);
}

struct WindowCount {
    DWORD processId;
    long count;
};

BOOL CALLBACK countChild(HWND, LPARAM counter) {
    ++reinterpret_cast<WindowCount*>(counter)->count;
    return TRUE;
}

BOOL CALLBACK countTopLevel(HWND window, LPARAM counter) {
    auto* windows = reinterpret_cast<WindowCount*>(counter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == windows->processId) {
        ++windows->count;
        // All descendants, not only the direct children.
        EnumChildWindows(window, countChild, counter);
    }
    return TRUE;
}

long windowsOf(DWORD processId) {
    WindowCount windows{processId, 0};
    EnumWindows(countTopLevel, reinterpret_cast<LPARAM>(&windows));
    for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) ++windows.count;
    }
    return windows.count;
}

long readUserObjects(HANDLE process, DWORD processId) {
    const DWORD count = GetGuiResources(process, GR_USEROBJECTS);
    if (count != 0 || !runsOnWine()) return static_cast<long>(count);
    return windowsOf(processId);
}

std::string figureText(long long value) { return value < 0 ? "n/a" : std::to_string(value); }

}  // namespace

ProcessFigures readProcessFigures(DWORD processId) {
    ProcessFigures figures;
    const KernelHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) return figures;
    readMemory(process.get(), figures);
    figures.handles = readHandleCount(process.get(), processId);
    figures.threads = readThreadCount(processId);
    figures.gdiObjects = readGdiObjects(process.get());
    figures.userObjects = readUserObjects(process.get(), processId);
    return figures;
}

std::string describe(const ProcessFigures& figures) {
    return "memory " + figureText(figures.privateKiB) + " KiB (working set " +
           figureText(figures.workingSetKiB) + " KiB), handles " + figureText(figures.handles) +
           ", threads " + figureText(figures.threads) + ", gdi " + figureText(figures.gdiObjects) +
           ", user " + figureText(figures.userObjects);
}

ProcessFigures settledFigures(DWORD processId) {
    // Objects that live only while a window paints come and go between readings; what is kept
    // is in every reading. So each figure is the lowest of a few readings a moment apart.
    constexpr int kReadings = 3;
    constexpr DWORD kApartMs = 150;
    ProcessFigures lowest = readProcessFigures(processId);
    const auto lower = [](auto& kept, auto read) {
        if (read >= 0 && (kept < 0 || read < kept)) kept = read;
    };
    for (int reading = 1; reading < kReadings; ++reading) {
        Sleep(kApartMs);
        const ProcessFigures next = readProcessFigures(processId);
        lower(lowest.privateKiB, next.privateKiB);
        lower(lowest.workingSetKiB, next.workingSetKiB);
        lower(lowest.handles, next.handles);
        lower(lowest.threads, next.threads);
        lower(lowest.gdiObjects, next.gdiObjects);
        lower(lowest.userObjects, next.userObjects);
    }
    return lowest;
}

ProcessFigures reportFigures(DWORD processId, const std::string& when) {
    const ProcessFigures figures = settledFigures(processId);
    std::printf("[ figures  ] %s: %s\n", when.c_str(), describe(figures).c_str());
    std::fflush(stdout);
    return figures;
}

// Growth allowed between two readings. Measured under Wine, quiet and beside two busy cores, over
// ten openings of the largest archive and over ten minutes of playback with seeks: kernel handles
// (71 counted in the system's list of handles over the ten openings), threads (7) and windows
// (24) come back exactly (one thread and one window fewer for a moment while a recording
// changes); GDI objects move by 1 to 3 with what is being drawn at the moment of a reading, and
// Wine's open-file dialog caches about 5 bitmaps over its first few uses; private memory grows by about 1.1 MiB at first (the heap settling) and
// by less than 0.1 MiB after. The largest archive's frame records alone (30,000 records of about
// 150 bytes) are over 4 MiB, and a decoded picture kept per frame shown is 300 KiB, so anything
// not given back passes 16 MiB within a few rounds or minutes. Wine's open-file dialog keeps one
// registry key open each time it is shown (a bare GetOpenFileNameW does the same; the viewer
// makes no registry calls), so each dialog shown between the readings is allowed a handle.
void expectNoGrowth(const ProcessFigures& first, const ProcessFigures& last, int fileDialogsShown) {
    const long kHandleTolerance = 8 + fileDialogsShown;
    constexpr long kThreadTolerance = 2;
    constexpr long kGdiTolerance = 8;
    constexpr long kUserTolerance = 2;
    constexpr std::int64_t kPrivateToleranceKiB = 16 * 1024;
    ASSERT_GE(first.privateKiB, 0) << "the viewer's memory could not be read";
    EXPECT_LE(last.privateKiB - first.privateKiB, kPrivateToleranceKiB) << "memory grows";
    ASSERT_GE(first.handles, 0) << "the viewer's handles could not be counted";
    EXPECT_LE(last.handles - first.handles, kHandleTolerance) << "kernel handles leak";
    ASSERT_GE(first.threads, 0) << "the viewer's threads could not be counted";
    EXPECT_LE(last.threads - first.threads, kThreadTolerance) << "threads are left behind";
    ASSERT_GE(first.gdiObjects, 0) << "the viewer's GDI objects could not be counted";
    EXPECT_LE(last.gdiObjects - first.gdiObjects, kGdiTolerance) << "GDI objects leak";
    ASSERT_GE(first.userObjects, 0) << "the viewer's windows could not be counted";
    EXPECT_LE(last.userObjects - first.userObjects, kUserTolerance) << "windows are left behind";
}

}  // namespace tavrin::e2e
