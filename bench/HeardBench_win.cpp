// Whether the picture on screen keeps with the sound that is heard, measured from outside the
// player: the sound server's monitor is recorded by the host's recorder and matched to the
// recording's own sound track by cross-correlating its road noise, and the screen is grabbed
// twenty times a second with the frame read from the index strip of every picture. The real
// player plays a generated recording of ten minutes (TAVRIN_HEARD_SECONDS sets another length)
// in a shown window: the targets hold for a whole ten-minute recording, and over three minutes a
// few of the sound server's pauses move the drift's slope by several ms a minute. Only under Wine, where the host's recorder can be run.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchOutput.h"
#include "bench/HeardFigures.h"
#include "bench/HeardTrace_win.h"
#include "bench/MessageLoop_win.h"
#include "bench/MonitorRecorder_win.h"
#include "bench/PerformanceClock_win.h"
#include "bench/PlayerHost_win.h"
#include "bench/ScreenFrameReader_win.h"
#include "bench/Statistics.h"
#include "bench/TrackMatching.h"
#include "bench/WatchedPlayer_win.h"
#include "media/ISoundPlayer.h"
#include "media/PlaybackPacing.h"
#include "media/WaveFile.h"
#include "recording/TextEncoding.h"
#include "recording/VideoArchive.h"
#include "tests/support/TestFolder.h"
#include "tools/cardgen/CardWriter.h"
#include "ui/Exception.h"

namespace tavrin::bench {
namespace {

constexpr int kDefaultSeconds = 600;
constexpr double kFrameDurationMs = 1000.0 / 28;
// Pictures of the size the box shows them at, so each is drawn as it was decoded.
constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;
constexpr DWORD kGrabPeriodMs = 50;
// The recorder asks the server for pieces this long; TAVRIN_HEARD_MONITOR_MS sets another, to
// show that the figures do not depend on the recorder's own buffering.
constexpr int kDefaultMonitorPieceMs = 10;
constexpr DWORD kSinkQueryAfterMs = 5000;

int settingFromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    const int parsed = value != nullptr ? std::atoi(value) : 0;
    return parsed > 0 ? parsed : fallback;
}

Path generateRecording(const Path& folder, int frames) {
    cardgen::CardOptions options;
    options.folder = toUtf8(folder);
    options.recordings = 1;
    options.frames = frames;
    options.width = kPictureWidth;
    options.height = kPictureHeight;
    cardgen::writeCard(options, [](const std::string&) {});
    return folder + kPathSeparator + fromUtf8(cardgen::archiveName(1, 1));
}

// The samples the player plays: the archive's own sound track, taken out as the viewer does.
std::vector<std::uint8_t> soundTrackOf(const Path& archivePath) {
    VideoArchive archive;
    archive.open(archivePath, nullptr);
    if (archive.soundFilePath().empty()) throw std::runtime_error("the recording has no sound");
    return readWaveFile(archive.soundFilePath()).samples;
}

// The player's picture box in screen coordinates.
RECT pictureBoxOnScreen(HWND player) {
    RECT client;
    GetClientRect(player, &client);
    const PictureBox box = fitPictureBox(client.right, client.bottom);
    POINT corner = {box.x, box.y};
    ClientToScreen(player, &corner);
    return {corner.x, corner.y, corner.x + box.width, corner.y + box.height};
}

struct Run {
    std::vector<PictureArrival> arrivals;
    std::vector<ScreenSighting> sightings;
    std::vector<std::int16_t> monitor;
    std::vector<MonitorArrival> monitorArrivals;
    double playStartMs = 0;
    double playEndMs = 0;
    bool finished = false;
    std::optional<double> sinkLatencyMs;
};

Run play(const Path& archive, int seconds, int monitorPieceMs) {
    Run run;
    run.arrivals.reserve(static_cast<std::size_t>(seconds) * 40);
    PlayerHost host(HostWindow::kBox);
    // Owned by its window from here on; it goes when the host's window is destroyed.
    auto* player = new WatchedPlayer(host, run.arrivals);
    host.placePlayer(player->hwnd);
    if (!player->openRecording(player->loadFolderList(archive)))
        throw std::runtime_error("the player could not open the recording");
    if (player->soundPlayer().getState() == kSoundClosed)
        throw std::runtime_error("the player opened the recording without its sound");

    MonitorRecorder monitor(static_cast<int>(kWaveSampleRate), monitorPieceMs);
    if (!monitor.waitUntilFlowing(1000, 20000))
        throw std::runtime_error("the monitor recording does not come");
    ScreenFrameReader reader(pictureBoxOnScreen(player->hwnd), kGrabPeriodMs);
    dispatchMessagesUntil([] { return false; }, 500);

    run.playStartMs = performanceMs();
    player->playFrom(0);
    // The server's latency depends on what plays through it, so it is asked while playing.
    std::thread asker([&] {
        Sleep(kSinkQueryAfterMs);
        run.sinkLatencyMs = monitor.sinkLatencyMs();
    });
    run.finished =
        dispatchMessagesUntil([player] { return player->state() == VideoPlayer::kStopped; },
                              static_cast<DWORD>(seconds) * 1000 + 60000);
    run.playEndMs = performanceMs();
    asker.join();
    dispatchMessagesUntil([] { return false; }, 500);

    reader.stop();
    monitor.stop();
    run.sightings = reader.sightings();
    run.monitor = monitor.samples();
    run.monitorArrivals = monitor.arrivals();
    if (host.folderGone()) throw std::runtime_error("the player lost the recording's folder");
    return run;
}

// The sound clock the player is paced by (the output's position as the sound player reports it)
// against what was heard at the same moments.
void describeSoundClock(const Run& run, const HeardTimeline& heard) {
    std::vector<double> times;
    std::vector<double> leads;
    for (const PictureArrival& arrival : run.arrivals) {
        if (arrival.playerState != VideoPlayer::kPlaying || arrival.soundState != kSoundPlaying)
            continue;
        const std::optional<double> heardMs = heard.heardMsAt(arrival.counterMs);
        if (!heardMs) continue;
        times.push_back(arrival.counterMs);
        leads.push_back(arrival.soundPositionMs - *heardMs);
    }
    if (times.size() < 2) return;
    const std::size_t tenth = std::max<std::size_t>(1, times.size() / 10);
    std::fprintf(
        stderr,
        "heard_bench: the sound clock is ahead of the heard sound by %.1f ms over the first "
        "tenth, %.1f ms over the last, drifting %.2f ms per minute\n",
        median({leads.begin(), leads.begin() + tenth}), median({leads.end() - tenth, leads.end()}),
        leastSquaresSlope(times, leads) * 60000.0);
}

// From a picture's arrival at the player to the first grab that saw it: how late the screen
// shows what the player drew (a negative delay would mean the grabs' times are wrong).
void describeScreenDelay(const Run& run) {
    std::vector<double> delays;
    std::size_t next = 0;
    std::int32_t lastFrame = -1;
    for (const PictureArrival& arrival : run.arrivals) {
        if (!arrival.hasPicture || arrival.frame == lastFrame) continue;
        lastFrame = arrival.frame;
        while (next < run.sightings.size() && run.sightings[next].ms < arrival.counterMs - 200)
            ++next;
        for (std::size_t k = next; k < run.sightings.size(); ++k) {
            if (run.sightings[k].ms > arrival.counterMs + 500) break;
            if (run.sightings[k].frame == arrival.frame) {
                delays.push_back(run.sightings[k].ms - arrival.counterMs);
                break;
            }
        }
    }
    std::vector<double> spans;
    for (const ScreenSighting& sighting : run.sightings) spans.push_back(sighting.spanMs);
    std::fprintf(stderr,
                 "heard_bench: the screen shows a picture %.1f ms after its arrival (median; "
                 "earliest %.1f ms, %zu pictures seen); grabs take %.2f ms (median), %.2f ms at "
                 "most\n",
                 median(delays), nearestRankPercentile(delays, 0), delays.size(), median(spans),
                 nearestRankPercentile(spans, 100));
}

bool bench() {
    const int seconds = settingFromEnvironment("TAVRIN_HEARD_SECONDS", kDefaultSeconds);
    const int monitorPieceMs =
        settingFromEnvironment("TAVRIN_HEARD_MONITOR_MS", kDefaultMonitorPieceMs);
    test::TestFolder folder;
    const Path archive = generateRecording(folder.path(), seconds * 28);
    const std::vector<std::uint8_t> track = soundTrackOf(archive);

    const Run run = play(archive, seconds, monitorPieceMs);
    if (!run.finished) std::fprintf(stderr, "heard_bench: the recording did not finish playing\n");

    SampleClock clock = fitSampleClock(run.monitorArrivals, kWaveSampleRate);
    if (!clock.valid) throw std::runtime_error("the monitor recording holds nothing");
    // The monitor has each sample that much before the server plays it.
    clock.startMs += run.sinkLatencyMs.value_or(0);
    const std::vector<TrackMatch> matches =
        matchToTrack(trackSignal(track), recordedSignal(run.monitor));
    std::vector<double> scores;
    for (const TrackMatch& match : matches) scores.push_back(match.score);
    const HeardTimeline heard(matches, clock, kWaveSampleRate);
    const HeardFigures figures =
        heardFigures(run.sightings, heard, kFrameDurationMs, run.playStartMs, run.playEndMs);

    std::fprintf(stderr,
                 "heard_bench: %d s recording, played for %.1f s; %zu grabs (%d unreadable, %d "
                 "too slow to place, %d with no heard sound near), %d offsets\n",
                 seconds, (run.playEndMs - run.playStartMs) / 1000, run.sightings.size(),
                 figures.unreadable, figures.uncertain, figures.unheard, figures.offsets);
    std::fprintf(stderr,
                 "heard_bench: monitor: %.1f s in pieces of %d ms, %zu stretches found in the "
                 "track (median score %.2f); its clock runs %+.0f ppm against the counter, "
                 "earliest arrivals within %.2f ms of the line; the server plays sound %.1f ms "
                 "after it hands it to the monitor%s\n",
                 run.monitor.size() / static_cast<double>(kWaveSampleRate), monitorPieceMs,
                 matches.size(), median(scores),
                 (1000.0 / kWaveSampleRate / clock.msPerSample - 1) * 1e6, clock.worstResidualMs,
                 run.sinkLatencyMs.value_or(0), run.sinkLatencyMs ? "" : " (it did not say)");
    if (!matches.empty()) {
        // Where the track's first sample lies in the recording, by the first stretch found.
        const TrackMatch& first = matches.front();
        std::fprintf(stderr,
                     "heard_bench: the track's first sample was heard %.1f ms after playFrom\n",
                     clock.msOf(first.recordedSample - first.trackSample) - run.playStartMs);
    }
    const HeardBreaks breaks = heardBreaks(matches, kWaveSampleRate);
    traceMonitor(run.monitor, matches, clock, run.playStartMs);
    std::fprintf(stderr,
                 "heard_bench: the heard sound skipped %d times (%.0f ms of the track never "
                 "heard) and paused %d times (%.0f ms)\n",
                 breaks.skips, breaks.skippedMs, breaks.pauses, breaks.pausedMs);
    // A click is a few ms at full scale; the road noise never comes near it.
    const FullScaleBursts clicks =
        fullScaleBursts(run.monitor, static_cast<std::size_t>(kWaveSampleRate * 2 / 1000));
    std::fprintf(stderr, "heard_bench: %d clicks heard (%.0f ms at full scale)\n", clicks.count,
                 clicks.samples * 1000.0 / kWaveSampleRate);
    describeSoundClock(run, heard);
    traceHeard(run.sightings, run.arrivals, heard, breaks, clock, kFrameDurationMs,
               run.playStartMs);
    describeScreenDelay(run);

    printFigure("heard_offset_median_ms", figures.offsetMedianMs, "ms");
    printFigure("heard_offset_p95_ms", figures.offsetP95AbsMs, "ms");
    printFigure("heard_drift_ms_per_min", figures.driftMsPerMinute, "ms/min");
    return run.finished && figures.offsets > 0;
}

}  // namespace
}  // namespace tavrin::bench

int main() {
    if (!tavrin::bench::MonitorRecorder::available()) {
        std::fprintf(stderr, "heard_bench: needs Wine and the host's parec; nothing measured\n");
        return 0;
    }
    try {
        return tavrin::bench::bench() ? 0 : 1;
    } catch (const tavrin::Exception& failure) {
        std::fprintf(stderr, "heard_bench: %s\n", tavrin::toUtf8(failure.message()).c_str());
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "heard_bench: %s\n", failure.what());
    }
    return 1;
}
