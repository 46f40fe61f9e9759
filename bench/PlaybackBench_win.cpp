// How well the real player keeps pictures with the sound: a generated 60-second recording is
// played in a shown window, each picture's arrival is set against the sound clock, and the CPU
// time the playback costs is read, the wineserver's share included under Wine.
//
//     playback_bench [--window box|viewer|maximised] [--size WxH]
//
// The window is by default a 640 x 480 box; `viewer` plays in the main window's frame at its
// default size and layout, `maximised` the same maximised; their figures carry the window's name.
// Without --size both 640x480 and 1280x960 recordings are played.
#include <windows.h>
#include <mmsystem.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/ArrivalTrace_win.h"
#include "bench/BenchOutput.h"
#include "bench/LinuxProc_win.h"
#include "bench/MessageLoop_win.h"
#include "bench/PlaybackFigures_win.h"
#include "bench/PlayerHost_win.h"
#include "bench/ProcessCpu_win.h"
#include "bench/WatchedPlayer_win.h"
#include "bench/WineServerCpu_win.h"
#include "media/ISoundPlayer.h"
#include "recording/TextEncoding.h"
#include "tests/support/TestFolder.h"
#include "tools/cardgen/CardWriter.h"
#include "ui/Exception.h"

namespace tavrin::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFrames = 1680;  // 60 seconds at 28 frames per second
constexpr double kFrameDurationMs = 1000.0 / 28;
// The recording lasts a minute; this leaves room for a slow start without hanging forever.
constexpr DWORD kPlaybackTimeoutMs = 90000;
// Long enough for the idle cost to show in 10 ms clock ticks.
constexpr DWORD kIdleMs = 3000;

struct GeneratedRecording {
    Path archive;
    int soundBlocks = 0;
};

// The generator's summary line of an archive: "NAME  BYTES bytes  ... N sound blocks, ...".
bool readSummary(const std::string& line, std::string& name, int& soundBlocks) {
    const std::size_t nameEnd = line.find(' ');
    const std::size_t blocksEnd = line.find(" sound blocks");
    if (nameEnd == std::string::npos || blocksEnd == std::string::npos) return false;
    const std::size_t blocksStart = line.rfind(' ', blocksEnd - 1) + 1;
    name = line.substr(0, nameEnd);
    soundBlocks = std::stoi(line.substr(blocksStart, blocksEnd - blocksStart));
    return true;
}

GeneratedRecording generateRecording(const Path& folder, int width, int height) {
    cardgen::CardOptions options;
    options.folder = toUtf8(folder);
    options.recordings = 1;
    options.frames = kFrames;
    options.width = width;
    options.height = height;
    GeneratedRecording recording;
    std::string name;
    cardgen::writeCard(options, [&](const std::string& line) {
        std::string lineName;
        int soundBlocks = 0;
        if (name.empty() && readSummary(line, lineName, soundBlocks)) {
            name = lineName;
            recording.soundBlocks = soundBlocks;
        }
    });
    if (name.empty()) throw std::runtime_error("the generator reported no archive");
    if (recording.soundBlocks <= 0) throw std::runtime_error("the archive has no sound track");
    recording.archive = folder + kPathSeparator + fromUtf8(name);
    return recording;
}

struct CpuReading {
    double own = 0;
    double server = 0;
};

CpuReading readCpu(const WineServerCpu& server) {
    return {ownProcessCpuSeconds(), server.found() ? server.seconds() : 0.0};
}

struct PlaybackRun {
    std::vector<PictureArrival> arrivals;
    std::int32_t frameCount = 0;
    bool finished = false;
    double seconds = 0;
    CpuReading cpu;  // used during playback
    double idleSeconds = 0;
    CpuReading idleCpu;       // used while the recording was open and stopped
    DWORD playbackStart = 0;  // timeGetTime at playFrom
    UINT timerPeriod = 0;
    bool drawDib = false;
    int stepRequests = 0;
    int playerWidth = 0;  // the player's client size
    int playerHeight = 0;
};

void describeNeighbours(const std::map<std::string, std::uint64_t>& before,
                        const std::map<std::string, std::uint64_t>& after) {
    for (const auto& [process, ticks] : after) {
        auto earlier = before.find(process);
        const std::uint64_t used = ticks - (earlier != before.end() ? earlier->second : 0);
        if (used > 0) {
            std::fprintf(stderr, "playback_bench:   also busy in the Wine session: %s, %.2f s\n",
                         process.c_str(), used / clockTicksPerSecond());
        }
    }
}

PlaybackRun play(const Path& archive, HostWindow window) {
    PlaybackRun run;
    PlayerHost host(window);
    // Owned by its window from here on; it goes when the host's window is destroyed.
    auto* player = new WatchedPlayer(host, run.arrivals);
    host.placePlayer(player->hwnd);
    RECT client;
    GetClientRect(player->hwnd, &client);
    run.playerWidth = client.right;
    run.playerHeight = client.bottom;
    if (!player->openRecording(player->loadFolderList(archive))) {
        throw std::runtime_error("the player could not open the recording");
    }
    if (player->soundPlayer().getState() == kSoundClosed) {
        // The wall clock would pace the pictures and there would be no sound clock to hold
        // them against.
        throw std::runtime_error("the player opened the recording without its sound");
    }
    run.frameCount = player->frameCount();
    run.timerPeriod = player->timerPeriod();
    run.drawDib = player->usesDrawDib();

    const WineServerCpu server = WineServerCpu::locate();
    // What an open, stopped recording costs: the loader and the timers run all the same, so
    // this is the floor under the playback figure.
    const CpuReading idleBefore = readCpu(server);
    const Clock::time_point idleStart = Clock::now();
    dispatchMessagesUntil([] { return false; }, kIdleMs);
    const CpuReading idleAfter = readCpu(server);
    run.idleSeconds = std::chrono::duration<double>(Clock::now() - idleStart).count();
    run.idleCpu = {idleAfter.own - idleBefore.own, idleAfter.server - idleBefore.server};

    const std::map<std::string, std::uint64_t> neighboursBefore = neighbourCpuTicks();
    const CpuReading cpuBefore = readCpu(server);
    const Clock::time_point start = Clock::now();
    run.playbackStart = timeGetTime();
    player->playFrom(0);
    // The sound's end (WM_SOUND_DONE) after the last frame brings the player back to stopped.
    run.finished = dispatchMessagesUntil(
        [player] { return player->state() == VideoPlayer::kStopped; }, kPlaybackTimeoutMs);
    const Clock::time_point end = Clock::now();
    const CpuReading cpuAfter = readCpu(server);

    run.seconds = std::chrono::duration<double>(end - start).count();
    run.cpu = {cpuAfter.own - cpuBefore.own, cpuAfter.server - cpuBefore.server};
    run.stepRequests = host.stepRequests();
    if (host.folderGone()) throw std::runtime_error("the player lost the recording's folder");

    if (runningUnderWine()) {
        if (!server.found()) {
            std::fprintf(stderr, "playback_bench:   no wineserver visible: own process only\n");
        } else {
            for (int pid : server.processIds()) {
                std::fprintf(stderr, "playback_bench:   wineserver pid %d%s\n", pid,
                             server.summedUnmatched() ? " (prefix unmatched, servers summed)" : "");
            }
        }
        describeNeighbours(neighboursBefore, neighbourCpuTicks());
    }
    return run;
}

const char* windowSuffix(HostWindow window) {
    switch (window) {
        case HostWindow::kViewer:
            return "_viewer";
        case HostWindow::kMaximised:
            return "_maximised";
        default:
            return "";
    }
}

// False when the playback did not come to its end; the figures are printed all the same.
bool benchSize(int width, int height, HostWindow window) {
    const std::string size =
        std::to_string(width) + "x" + std::to_string(height) + windowSuffix(window);
    test::TestFolder folder;
    const GeneratedRecording recording = generateRecording(folder.path(), width, height);
    const PlaybackRun run = play(recording.archive, window);
    if (!run.finished) {
        std::fprintf(stderr, "playback_bench: %s did not finish within %lu ms\n", size.c_str(),
                     static_cast<unsigned long>(kPlaybackTimeoutMs));
    }
    if (run.frameCount != kFrames) {
        std::fprintf(stderr, "playback_bench: %s: the player counts %d frames, %d were written\n",
                     size.c_str(), run.frameCount, kFrames);
    }
    traceArrivals(run.arrivals, run.playbackStart, size);
    const PlaybackFigures figures = playbackFigures(run.arrivals, run.frameCount, kFrameDurationMs);
    std::fprintf(stderr,
                 "playback_bench: %s: %d sound blocks, %.2f s played, %d pictures arrived "
                 "(%d without picture, %d timed against the sound), CPU %.2f s own + %.2f s "
                 "wineserver, timer period %u ms, %s, player %dx%d\n",
                 size.c_str(), recording.soundBlocks, run.seconds, figures.arrivals,
                 figures.failedPictures, figures.offsetSamples, run.cpu.own, run.cpu.server,
                 run.timerPeriod, run.drawDib ? "DrawDib" : "StretchDIBits", run.playerWidth,
                 run.playerHeight);
    std::fprintf(stderr,
                 "playback_bench: %s: open and stopped for %.2f s: CPU %.2f s own + %.2f s "
                 "wineserver\n",
                 size.c_str(), run.idleSeconds, run.idleCpu.own, run.idleCpu.server);
    if (run.stepRequests > 0) {
        std::fprintf(stderr, "playback_bench: %s: the player asked for a next recording\n",
                     size.c_str());
    }

    printFigure("frames_shown_pct_" + size, figures.framesShownPct, "%");
    printFigure("av_offset_median_ms_" + size, figures.offsetMedianMs, "ms");
    printFigure("av_offset_p95_ms_" + size, figures.offsetP95AbsMs, "ms");
    const double cpuSeconds = run.cpu.own + run.cpu.server;
    printFigure("cpu_per_second_" + size, run.seconds > 0 ? cpuSeconds / run.seconds : 0, "s/s");
    // The floor under it: an open recording while nothing plays.
    const double idleCpuSeconds = run.idleCpu.own + run.idleCpu.server;
    printFigure("idle_cpu_per_second_" + size,
                run.idleSeconds > 0 ? idleCpuSeconds / run.idleSeconds : 0, "s/s");
    return run.finished;
}

}  // namespace
}  // namespace tavrin::bench

int main(int argc, char** argv) {
    using tavrin::bench::HostWindow;
    HostWindow window = HostWindow::kBox;
    int onlyWidth = 0;
    int onlyHeight = 0;
    bool understood = true;
    for (int i = 1; i + 1 < argc && understood; i += 2) {
        const std::string option = argv[i];
        const std::string value = argv[i + 1];
        if (option == "--window" && value == "viewer") {
            window = HostWindow::kViewer;
        } else if (option == "--window" && value == "maximised") {
            window = HostWindow::kMaximised;
        } else if (option == "--size") {
            understood = std::sscanf(value.c_str(), "%dx%d", &onlyWidth, &onlyHeight) == 2;
        } else {
            understood = option == "--window" && value == "box";
        }
    }
    if (!understood || argc % 2 == 0) {
        std::fprintf(stderr,
                     "usage: playback_bench [--window box|viewer|maximised] [--size WxH]\n");
        return 2;
    }
    bool finished = true;
    try {
        if (onlyWidth > 0) {
            finished = tavrin::bench::benchSize(onlyWidth, onlyHeight, window);
        } else {
            finished = tavrin::bench::benchSize(640, 480, window) && finished;
            finished = tavrin::bench::benchSize(1280, 960, window) && finished;
        }
    } catch (const tavrin::Exception& failure) {
        std::fprintf(stderr, "playback_bench: %s\n", tavrin::toUtf8(failure.message()).c_str());
        return 1;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "playback_bench: %s\n", failure.what());
        return 1;
    }
    return finished ? 0 : 1;
}
