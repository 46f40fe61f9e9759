#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "media/ISoundPlayer.h"
#include "media/PositionSmoother.h"
#include "media/WaveAudioPlayer_win.h"
#include "media/WineHost_win.h"
#include "tests/e2e/ProcessFigures.h"
#include "tests/win/MessagePump.h"
#include "recording/SoundTrack.h"
#include "tests/support/TestFolder.h"
#include "ui/AppInstance_win.h"
#include "ui/Exception.h"
#include "ui/Messages.h"
#include "ui/Window_win.h"

namespace tavrin {
namespace {

using test::pumpFor;
using test::pumpUntil;

using test::Bytes;
using test::TestFolder;

constexpr int kRate = 13183;
constexpr int kTrackMs = 1500;

// Receives WM_SOUND_DONE and counts it into a counter the test owns (the window object itself
// is deleted by the routing procedure).
class NotifyWindow : public test::MessageOnlyWindow {
public:
    explicit NotifyWindow(int* doneCount) : doneCount_(doneCount) {}
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SOUND_DONE) {
            ++*doneCount_;
            return 0;
        }
        return Window::handleMessage(message, wParam, lParam);
    }

private:
    int* doneCount_;
};

// A wave file of `ms` milliseconds of a 440 Hz tone in the recordings' own format, or with
// another sample rate to be refused.
Bytes toneFile(int ms, std::uint32_t rate = kRate) {
    Bytes bytes(kWaveHeaderSize);
    buildWaveHeader(bytes.data());
    std::uint32_t count = static_cast<std::uint32_t>(std::int64_t{kRate} * ms / 1000);
    setWaveDataSize(bytes.data(), count);
    for (int i = 0; i < 4; ++i) bytes[24 + i] = static_cast<std::uint8_t>(rate >> (8 * i));
    for (std::uint32_t i = 0; i < count; ++i) {
        double wave = std::sin(2.0 * 3.14159265358979 * 440.0 * i / kRate);
        bytes.push_back(static_cast<std::uint8_t>(128 + 100 * wave));
    }
    return bytes;
}


// What a failed device open returns, so a run without a sound device says why it failed.
MMRESULT probeDevice() {
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = kRate;
    format.nAvgBytesPerSec = kRate;
    format.nBlockAlign = 1;
    format.wBitsPerSample = 8;
    HWAVEOUT device = nullptr;
    MMRESULT result = waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL);
    if (result == MMSYSERR_NOERROR) waveOutClose(device);
    return result;
}

class WaveAudioPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        MMRESULT device = probeDevice();
        ASSERT_EQ(device, static_cast<MMRESULT>(MMSYSERR_NOERROR))
            << "no waveform output device for 8-bit mono 13183 Hz: waveOutOpen returned MMRESULT "
            << device << " (waveOutGetNumDevs " << waveOutGetNumDevs() << ")";
        path = folder.file(L"tone.wav");
        test::writeBytes(path, toneFile(kTrackMs));
        notify = new NotifyWindow(&doneCount);
        player = new WaveAudioPlayer(notify->hwnd);
        playerWindow = player->hwnd;
    }
    void TearDown() override {
        if (playerWindow && Window::fromHandle(playerWindow)) DestroyWindow(playerWindow);
        if (notify) DestroyWindow(notify->hwnd);
        pumpFor(1);
    }

    TestFolder folder;
    Path path;
    int doneCount = 0;
    NotifyWindow* notify = nullptr;
    WaveAudioPlayer* player = nullptr;
    HWND playerWindow = nullptr;
};

std::wstring notOpenText() { return loadMessage(5069); }

void expectNotOpen(const std::function<void()>& operation, const char* name) {
    try {
        operation();
        ADD_FAILURE() << name << " did not throw on a closed player";
    } catch (const WaveAudioException& failure) {
        EXPECT_EQ(failure.message(), notOpenText()) << name;
    }
}

TEST_F(WaveAudioPlayerTest, ClosedPlayerRefusesControlAndReportsNothing) {
    ASSERT_FALSE(notOpenText().empty());
    EXPECT_EQ(player->getState(), kSoundClosed);
    EXPECT_EQ(player->getDataRate(), 0u);
    EXPECT_EQ(player->getPosition(), 0);
    EXPECT_EQ(player->getVolume(), 16);
    EXPECT_FALSE(player->isFinished());

    expectNotOpen([&] { player->play(1234); }, "play");
    // The video player keeps its own clock from these when there is no sound.
    EXPECT_EQ(player->startOffsetMs(), 1234);
    EXPECT_LE(timeGetTime() - player->playStartTime(), 1000u);
    expectNotOpen([&] { player->stop(); }, "stop");
    expectNotOpen([&] { player->pause(); }, "pause");
    expectNotOpen([&] { player->resume(); }, "resume");
    player->close();  // closing twice is harmless

    // And again after a file was open and closed.
    player->open(path);
    EXPECT_EQ(player->getState(), kSoundStopped);
    EXPECT_EQ(player->getDataRate(), 13183000u);
    player->close();
    EXPECT_EQ(player->getState(), kSoundClosed);
    EXPECT_EQ(player->getDataRate(), 0u);
    EXPECT_EQ(player->getPosition(), 0);
    expectNotOpen([&] { player->play(0); }, "play after close");
    expectNotOpen([&] { player->stop(); }, "stop after close");
    pumpFor(50);
    EXPECT_EQ(doneCount, 0);
}

TEST_F(WaveAudioPlayerTest, BadFilesFailAndLeaveThePlayerClosed) {
    Path missing = folder.file(L"missing.wav");
    player->open(path);  // a bad open also closes what was open
    try {
        player->open(missing);
        ADD_FAILURE() << "a missing file opened";
    } catch (const WaveAudioException& failure) {
        EXPECT_EQ(failure.message(), missing);
    }
    EXPECT_EQ(player->getState(), kSoundClosed);
    EXPECT_EQ(player->getDataRate(), 0u);

    Path wrongRate = folder.file(L"11025.wav");
    test::writeBytes(wrongRate, toneFile(300, 11025));
    Path shortData = folder.file(L"short.wav");
    Bytes cut = toneFile(300);
    cut.resize(cut.size() - 10);
    test::writeBytes(shortData, cut);
    for (const Path& bad : {wrongRate, shortData}) {
        player->open(path);
        try {
            player->open(bad);
            ADD_FAILURE() << "a refused file opened";
        } catch (const Exception& failure) {
            EXPECT_EQ(failure.message(), bad);
            EXPECT_EQ(dynamic_cast<const WaveAudioException*>(&failure), nullptr);
        }
        EXPECT_EQ(player->getState(), kSoundClosed);
        EXPECT_EQ(player->getDataRate(), 0u);
        expectNotOpen([&] { player->play(0); }, "play after a failed open");
    }
    // The player still works afterwards.
    player->open(path);
    EXPECT_EQ(player->getState(), kSoundStopped);
}

TEST_F(WaveAudioPlayerTest, VolumeIsClampedToSixteenSteps) {
    player->setVolume(20);
    EXPECT_EQ(player->getVolume(), 16);
    player->setVolume(-3);
    EXPECT_EQ(player->getVolume(), 0);
    player->setVolume(8);
    EXPECT_EQ(player->getVolume(), 8);
    // Kept across open and close, and playing at any volume still runs the same course.
    player->open(path);
    EXPECT_EQ(player->getVolume(), 8);
    player->setVolume(0);
    player->play(1200);
    EXPECT_TRUE(pumpUntil([&] { return doneCount > 0; }, 3000));
    EXPECT_TRUE(player->isFinished());
    player->close();
    EXPECT_EQ(player->getVolume(), 0);
}

TEST_F(WaveAudioPlayerTest, PlaysToTheEndFollowingWallTimeAndReportsOnce) {
    player->open(path);
    DWORD start = timeGetTime();
    player->play(0);
    EXPECT_EQ(player->getState(), kSoundPlaying);
    EXPECT_FALSE(player->isFinished());
    pumpFor(1000);
    std::int32_t position = player->getPosition();
    std::int32_t elapsed = static_cast<std::int32_t>(timeGetTime() - start);
    EXPECT_NEAR(position, elapsed, 400) << "wall time " << elapsed;
    EXPECT_EQ(player->getState(), kSoundPlaying);
    EXPECT_EQ(doneCount, 0);

    ASSERT_TRUE(pumpUntil([&] { return doneCount > 0; }, 5000)) << "output never ended";
    DWORD total = timeGetTime() - start;
    EXPECT_GE(total, static_cast<DWORD>(kTrackMs - 300));
    EXPECT_LE(total, static_cast<DWORD>(kTrackMs + 2000));
    EXPECT_TRUE(player->isFinished());
    EXPECT_EQ(player->getState(), kSoundStopped);
    EXPECT_NEAR(player->getPosition(), kTrackMs, 250);
    pumpFor(500);
    EXPECT_EQ(doneCount, 1);

    // Playing again after the end starts a fresh output.
    player->play(1000);
    EXPECT_FALSE(player->isFinished());
    ASSERT_TRUE(pumpUntil([&] { return doneCount > 1; }, 4000));
    EXPECT_TRUE(player->isFinished());
    pumpFor(300);
    EXPECT_EQ(doneCount, 2);
}

TEST_F(WaveAudioPlayerTest, PlayAtAPositionStartsThereAndAtTheEndFinishesAtOnce) {
    player->open(path);
    player->play(500);
    std::int32_t position = player->getPosition();
    // 500 ms is byte 6591, which is 499 ms in whole samples.
    EXPECT_GE(position, 499);
    EXPECT_LT(position, 499 + 150);
    EXPECT_EQ(player->startOffsetMs(), 499);
    player->stop();

    ASSERT_TRUE(pumpUntil([&] { return doneCount == 1; }, 2000));
    doneCount = 0;
    for (std::int32_t end : {kTrackMs, 60000}) {
        player->play(end);
        EXPECT_TRUE(player->isFinished());
        EXPECT_EQ(player->getState(), kSoundStopped);
        pumpFor(100);
        EXPECT_EQ(doneCount, 1) << "at " << end;
        doneCount = 0;
    }
}

// Wine's output says it played 100 ms the moment it starts, and the sound is then heard that much
// after the position; the player reports no more than the time since the start can have played.
TEST_F(WaveAudioPlayerTest, NeverReportsMoreThanCanHaveBeenPlayed) {
    player->open(path);
    for (std::int32_t from : {0, 700}) {
        const DWORD start = timeGetTime();
        player->play(from);
        for (int reading = 0; reading < 20; ++reading) {
            const std::int32_t played = player->getPosition() - player->startOffsetMs();
            const auto elapsed = static_cast<std::int32_t>(timeGetTime() - start);
            // The device's own steps of 10 ms, and as much again that the smoother runs on.
            EXPECT_LE(played, elapsed + 2 * PositionSmoother::kMaxLeadMs + 2)
                << "from " << from << " ms, after " << elapsed << " ms";
            pumpFor(15);
        }
    }
}

// On Wine the output goes out in 16-bit samples (what its driver pads with is then silence); on
// Windows as the track's own bytes. Either way the device counts whole samples of that width.
TEST_F(WaveAudioPlayerTest, TheDeviceCountsSamplesOfTheOutputsWidth) {
    player->open(path);
    player->play(0);
    const HWAVEOUT device = player->deviceHandle();
    ASSERT_NE(device, nullptr);
    const auto read = [device](UINT type) {
        MMTIME time = {};
        time.wType = type;
        EXPECT_EQ(waveOutGetPosition(device, &time, sizeof time), MMSYSERR_NOERROR);
        EXPECT_EQ(time.wType, type);
        return type == TIME_BYTES ? time.u.cb : time.u.sample;
    };
    ASSERT_TRUE(pumpUntil([&] { return read(TIME_SAMPLES) > 0; }, 2000));
    const DWORD width = runsOnWine() ? 2 : 1;
    // The count moves on between the readings: the bytes lie between the samples before and after.
    const DWORD before = read(TIME_SAMPLES);
    const DWORD bytes = read(TIME_BYTES);
    const DWORD after = read(TIME_SAMPLES);
    EXPECT_GE(bytes, before * width);
    EXPECT_LE(bytes, after * width);
    EXPECT_EQ(bytes % width, 0u);
}

TEST_F(WaveAudioPlayerTest, PauseHoldsThePositionAndResumeContinues) {
    player->open(path);
    player->play(0);
    pumpFor(500);
    player->pause();
    EXPECT_EQ(player->getState(), kSoundPaused);
    std::int32_t held = player->getPosition();
    EXPECT_GT(held, 200);
    pumpFor(300);
    std::int32_t later = player->getPosition();
    EXPECT_LT(std::abs(later - held), 60);
    // The discarded buffers are counted back: the output has ended without finishing.
    EXPECT_EQ(doneCount, 1);
    EXPECT_FALSE(player->isFinished());
    EXPECT_EQ(player->getState(), kSoundStopped);

    player->resume();
    EXPECT_EQ(player->getState(), kSoundPlaying);
    EXPECT_NEAR(player->getPosition(), later, 150);
    pumpFor(400);
    EXPECT_GT(player->getPosition(), later + 150);
    ASSERT_TRUE(pumpUntil([&] { return doneCount == 2; }, 4000));
    EXPECT_TRUE(player->isFinished());
    pumpFor(300);
    EXPECT_EQ(doneCount, 2);

    // Resuming a finished output only reports the end again.
    player->resume();
    EXPECT_EQ(player->getState(), kSoundStopped);
    pumpFor(50);
    EXPECT_EQ(doneCount, 3);
}

TEST_F(WaveAudioPlayerTest, StopEndsOutputWithoutFinishing) {
    player->open(path);
    player->play(200);
    pumpFor(400);
    player->stop();
    EXPECT_EQ(player->getState(), kSoundStopped);
    std::int32_t stoppedAt = player->getPosition();
    EXPECT_GT(stoppedAt, 300);
    ASSERT_TRUE(pumpUntil([&] { return doneCount == 1; }, 1000));
    EXPECT_FALSE(player->isFinished());
    pumpFor(400);
    EXPECT_EQ(doneCount, 1);
    EXPECT_NEAR(player->getPosition(), stoppedAt, 60);

    // Nothing is left to resume after a stop.
    player->resume();
    EXPECT_EQ(player->getState(), kSoundStopped);
    pumpFor(300);
    EXPECT_EQ(doneCount, 2);
    EXPECT_NEAR(player->getPosition(), stoppedAt, 60);
}

TEST_F(WaveAudioPlayerTest, SeekingWhilePlayingRestartsThereWithoutStrayBuffers) {
    player->open(path);

    // Forward: the rest of the track after 1000 ms is half a second.
    player->play(0);
    pumpFor(300);
    DWORD seekTime = timeGetTime();
    player->play(1000);
    std::int32_t position = player->getPosition();
    EXPECT_GE(position, 999);
    EXPECT_LT(position, 999 + 150);
    pumpFor(250);
    EXPECT_NEAR(player->getPosition(), 1000 + static_cast<std::int32_t>(timeGetTime() - seekTime),
                200);
    ASSERT_TRUE(pumpUntil([&] { return doneCount > 0; }, 4000)) << "buffers stuck after a seek";
    DWORD rest = timeGetTime() - seekTime;
    EXPECT_GE(rest, 300u);
    EXPECT_LE(rest, 2000u);
    EXPECT_TRUE(player->isFinished());
    pumpFor(400);
    EXPECT_EQ(doneCount, 1);

    // Backward, and several seeks in a row with no messages handled in between: the buffers the
    // resets took back must neither be queued twice nor be lost.
    doneCount = 0;
    player->play(0);
    pumpFor(700);
    seekTime = timeGetTime();
    player->play(100);
    player->play(300);
    pumpFor(10);
    player->play(200);
    player->play(600);
    EXPECT_EQ(player->getState(), kSoundPlaying);
    pumpFor(400);
    std::int32_t now = static_cast<std::int32_t>(timeGetTime() - seekTime);
    EXPECT_NEAR(player->getPosition(), 600 + now, 200);
    EXPECT_EQ(doneCount, 0);
    ASSERT_TRUE(pumpUntil([&] { return doneCount > 0; }, 5000)) << "buffers stuck after seeks";
    rest = timeGetTime() - seekTime;
    EXPECT_GE(rest, 600u);
    EXPECT_LE(rest, 2500u);
    EXPECT_TRUE(player->isFinished());
    EXPECT_EQ(player->getState(), kSoundStopped);
    pumpFor(400);
    EXPECT_EQ(doneCount, 1);
}

TEST_F(WaveAudioPlayerTest, DestroyingTheWindowClosesTheDevice) {
    // Counted as the end-to-end tests count the viewer's: Wine answers GetProcessHandleCount
    // with 0, which no leak could ever raise.
    const auto handles = [] { return e2e::readProcessFigures(GetCurrentProcessId()).handles; };
    long before = 0;
    // One round first, so whatever the system keeps for its audio service is already there.
    for (int round = 0; round < 6; ++round) {
        if (round == 1) before = handles();
        WaveAudioPlayer* another = new WaveAudioPlayer(notify->hwnd);
        HWND window = another->hwnd;
        another->open(path);
        HWAVEOUT device = another->deviceHandle();
        ASSERT_NE(device, nullptr);
        UINT id = 0;
        ASSERT_EQ(waveOutGetID(device, &id), static_cast<MMRESULT>(MMSYSERR_NOERROR));
        another->play(0);
        pumpFor(50);
        DestroyWindow(window);
        EXPECT_EQ(Window::fromHandle(window), nullptr);
        // Checked before anything else can open a device and be given the same handle.
        EXPECT_EQ(waveOutGetID(device, &id), static_cast<MMRESULT>(MMSYSERR_INVALHANDLE))
            << "device still open after round " << round;
    }
    pumpFor(200);
    const long after = handles();
    ASSERT_GT(before, 0) << "the handles could not be counted";
    EXPECT_LE(after, before + 3) << "before " << before << ", after " << after;
    // No end is reported for a player that no longer exists.
    EXPECT_EQ(doneCount, 0);

    // Close releases the device too.
    player->open(path);
    HWAVEOUT device = player->deviceHandle();
    player->close();
    EXPECT_EQ(player->deviceHandle(), nullptr);
    UINT id = 0;
    EXPECT_EQ(waveOutGetID(device, &id), static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));
}

}  // namespace
}  // namespace tavrin
