#include "media/WaveAudioPlayer_win.h"

#include "media/WavePlayback.h"
#include "media/WineHost_win.h"
#include "ui/AppInstance_win.h"
#include "ui/Exception.h"
#include "ui/Messages.h"

namespace tavrin {
namespace {

constexpr unsigned kNotOpenText = 5069;
constexpr int kUnprepareAttempts = 10;
constexpr DWORD kUnprepareWaitMs = 100;

}  // namespace

WaveAudioPlayer::WaveAudioPlayer(HWND notifyWindow) : notifyWindow_(notifyWindow) {
    CreateParams params;
    params.className = MAKEINTATOM(sharedClass());
    params.parent = HWND_MESSAGE;
    params.instance = appInstance;
    create(params);
}

WaveAudioPlayer::~WaveAudioPlayer() { close(); }

void CALLBACK WaveAudioPlayer::deviceCallback(HWAVEOUT, UINT message, DWORD_PTR instance,
                                              DWORD_PTR param1, DWORD_PTR) {
    if (message != WOM_DONE) return;
    // The generation is read now, while the device has just handed the header back and before
    // the user-interface thread can queue it again. The instance data is the window handle, not
    // the object, so a late callback can never reach freed memory.
    const auto* header = reinterpret_cast<const WAVEHDR*>(param1);
    PostMessageW(reinterpret_cast<HWND>(instance), WM_BUFFER_DONE, header->dwUser,
                 static_cast<LPARAM>(param1));
}

LRESULT WaveAudioPlayer::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_BUFFER_DONE) {
        bufferDone(static_cast<DWORD_PTR>(wParam), reinterpret_cast<const WAVEHDR*>(lParam));
        return 0;
    }
    return Window::handleMessage(message, wParam, lParam);
}

bool WaveAudioPlayer::isFinished() { return finished_; }

void WaveAudioPlayer::requireOpen() const {
    if (state_ == kSoundClosed) throw WaveAudioException(loadMessage(kNotOpenText));
}

void WaveAudioPlayer::open(const Path& path) {
    close();

    // Everything is built in locals first, so a failure leaves the player closed and holding
    // nothing. A refused or short file throws from here with the path as its message.
    WaveData wave = readWaveFile(path);
    if (wave.samples.size() > static_cast<std::size_t>(INT32_MAX)) throw Exception(path);
    std::int32_t chunkSize = waveChunkSize(wave.format);
    const SoundOutputProfile profile =
        soundOutputProfile(wave.format.samplesPerSecond, runsOnWine());
    const RateConversion rates{wave.format.samplesPerSecond, profile.outputRate};
    // A chunk of the track becomes at most this many samples of the output.
    const auto outputChunkSamples = static_cast<std::size_t>(outputSamplesBefore(rates, chunkSize));
    const std::size_t outputChunkBytes = outputChunkSamples * profile.bytesPerSample;
    std::vector<std::uint8_t> mixBuffer(2 * outputChunkBytes);
    std::vector<std::uint8_t> trackChunk(profile.bytesPerSample > 1 ? outputChunkSamples : 0);

    WAVEFORMATEX format = {};
    format.wFormatTag = wave.format.formatTag;
    format.nChannels = wave.format.channels;
    format.nSamplesPerSec = rates.outputRate;
    format.nBlockAlign = static_cast<WORD>(wave.format.blockAlign * profile.bytesPerSample);
    format.nAvgBytesPerSec = rates.outputRate * format.nBlockAlign;
    format.wBitsPerSample = profile.bytesPerSample > 1 ? WORD{16} : WORD{wave.format.bitsPerSample};
    format.cbSize = 0;

    HWAVEOUT handle = nullptr;
    if (waveOutOpen(&handle, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(&deviceCallback),
                    reinterpret_cast<DWORD_PTR>(hwnd), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
        throw WaveAudioException(path);
    }
    WaveOutDevice device(handle);

    std::array<WAVEHDR, 2> headers{};
    for (int i = 0; i < 2; ++i) {
        headers[i].lpData = reinterpret_cast<LPSTR>(mixBuffer.data() + i * outputChunkBytes);
        headers[i].dwBufferLength = static_cast<DWORD>(outputChunkBytes);
    }
    // Prepared headers must stay where they are, so they are prepared in place.
    headers_ = headers;
    for (int i = 0; i < 2; ++i) {
        if (waveOutPrepareHeader(device.get(), &headers_[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
            if (i == 1) waveOutUnprepareHeader(device.get(), &headers_[0], sizeof(WAVEHDR));
            headers_ = {};
            throw WaveAudioException(path);
        }
    }

    device_ = std::move(device);
    prepared_ = {true, true};
    queued_ = {false, false};
    format_ = wave.format;
    data_ = std::move(wave.samples);
    dataLength_ = static_cast<std::int32_t>(data_.size());
    chunkSize_ = chunkSize;
    rates_ = rates;
    profile_ = profile;
    origin_ = 0;
    mixBuffer_ = std::move(mixBuffer);
    trackChunk_ = std::move(trackChunk);
    dataRate_ = waveDataRate(format_);
    nextHeader_ = 0;
    buffersQueued_ = 0;
    chunkStart_ = chunkEnd_ = 0;
    startOffsetMs_ = 0;
    finished_ = false;
    paused_ = false;
    state_ = kSoundStopped;
}

void WaveAudioPlayer::releaseHeaders() {
    for (int i = 0; i < 2; ++i) {
        if (!prepared_[i]) continue;
        // A header the driver has not quite let go of is refused for a moment after a reset.
        for (int attempt = 0; attempt < kUnprepareAttempts; ++attempt) {
            if (waveOutUnprepareHeader(device_.get(), &headers_[i], sizeof(WAVEHDR)) ==
                MMSYSERR_NOERROR)
                break;
            if (attempt + 1 < kUnprepareAttempts) Sleep(kUnprepareWaitMs);
        }
        prepared_[i] = false;
    }
}

void WaveAudioPlayer::close() {
    // Completions of the buffers this reset takes back are ignored from now on.
    ++generation_;
    if (device_) {
        chunkStart_ = chunkEnd_ = 0;
        waveOutReset(device_.get());
        releaseHeaders();
        device_.reset();
    }
    headers_ = {};
    queued_ = {false, false};
    buffersQueued_ = 0;
    nextHeader_ = 0;
    state_ = kSoundClosed;
    dataRate_ = 0;
    chunkStart_ = chunkEnd_ = 0;
    data_.clear();
    data_.shrink_to_fit();
    dataLength_ = 0;
    mixBuffer_.clear();
    mixBuffer_.shrink_to_fit();
    trackChunk_.clear();
    trackChunk_.shrink_to_fit();
    chunkSize_ = 0;
    paused_ = false;
}

void WaveAudioPlayer::resetDevice() { waveOutReset(device_.get()); }

WaveAudioPlayer::FeedResult WaveAudioPlayer::feed(std::int64_t position) {
    FeedResult result;
    WaveChunk chunk = planChunk(position, chunkSize_, dataLength_);
    if (!chunk.planned) return result;
    chunkStart_ = chunk.start;
    chunkEnd_ = chunk.end;
    result.count = chunk.count;
    if (chunk.count <= 0) return result;

    // The returned buffer is the one due next; should both still be out, nothing is queued.
    int index = nextHeader_;
    if (queued_[index]) index = 1 - index;
    if (queued_[index]) return result;

    WAVEHDR& header = headers_[index];
    auto* bytes = reinterpret_cast<std::uint8_t*>(header.lpData);
    const std::int64_t first = outputSamplesBefore(rates_, chunk.start - origin_);
    const std::int64_t last = outputSamplesBefore(rates_, chunk.end - origin_);
    const auto count = static_cast<std::size_t>(last - first);
    // The track's samples at the output's rate and volume, widened last where 16 bits go out.
    std::uint8_t* samples = profile_.bytesPerSample > 1 ? trackChunk_.data() : bytes;
    resampleTrack(data_.data(), dataLength_, origin_, rates_, first, last, samples);
    scaleSamples(samples, count, volume_, samples);
    if (profile_.bytesPerSample > 1) widenSamples(samples, count, bytes);
    header.dwBufferLength = static_cast<DWORD>(count * profile_.bytesPerSample);
    header.dwUser = generation_;
    if (waveOutWrite(device_.get(), &header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return result;
    result.queued = true;
    queued_[index] = true;
    ++buffersQueued_;
    nextHeader_ = 1 - index;
    state_ = kSoundPlaying;
    return result;
}

void WaveAudioPlayer::play(std::int32_t ms) {
    playStartTime_ = timeGetTime();
    if (state_ == kSoundClosed) {
        startOffsetMs_ = ms;
        throw WaveAudioException(loadMessage(kNotOpenText));
    }
    finished_ = false;
    paused_ = false;
    chunkStart_ = chunkEnd_ = 0;
    // A new output: completions still on their way from the buffers this reset takes back carry
    // the old number and neither count down nor refill anything of this one.
    ++generation_;
    resetDevice();
    queued_ = {false, false};
    nextHeader_ = 0;

    std::int32_t p = msToBytes(format_, dataLength_, ms);
    startOffsetMs_ = static_cast<std::int32_t>(bytesToMs(format_, dataLength_, p));
    origin_ = p;
    buffersQueued_ = 0;

    startLead_.start(timeGetTime());
    FeedResult first = feed(p);
    if (first.count > 0) feed(std::int64_t{p} + first.count);
    if (buffersQueued_ > 0) return;
    // Nothing is playing: either the position is at the end of the data, or the device refused
    // both buffers (then no completion would ever end this output, so it ends here).
    chunkStart_ = chunkEnd_ = 0;
    endOutput(first.count <= 0);
}

void WaveAudioPlayer::bufferDone(DWORD_PTR generation, const WAVEHDR* header) {
    if (generation != generation_ || state_ == kSoundClosed) return;
    int index = header == &headers_[0] ? 0 : header == &headers_[1] ? 1 : -1;
    // Only a header this output queued and the device has marked done counts, exactly once.
    if (index < 0 || !queued_[index] || (headers_[index].dwFlags & WHDR_DONE) == 0) return;
    queued_[index] = false;
    --buffersQueued_;

    if (chunkEnd_ == 0) {
        if (buffersQueued_ <= 0) endOutput(false);
        return;
    }
    FeedResult next = feed(chunkEnd_);
    if (next.queued || buffersQueued_ > 0) return;
    // The last buffer is back: the data ran out, or the device refused the refill (then the
    // output has ended all the same and must say so rather than stay "playing" for ever).
    chunkStart_ = chunkEnd_ = 0;
    endOutput(next.count <= 0);
}

void WaveAudioPlayer::endOutput(bool finished) {
    finished_ = finished;
    if (state_ != kSoundClosed) state_ = kSoundStopped;
    // Posting to no window would put the message in this thread's own queue.
    if (notifyWindow_) PostMessageW(notifyWindow_, WM_SOUND_DONE, 0, 0);
}

std::int32_t WaveAudioPlayer::getPosition() {
    if (!device_) return 0;
    MMTIME time = {};
    time.wType = TIME_BYTES;
    if (waveOutGetPosition(device_.get(), &time, sizeof time) != MMSYSERR_NOERROR ||
        time.wType != TIME_BYTES)
        return 0;
    // The device counts its own bytes; the track's samples that they stand for give the position.
    const std::int64_t played =
        trackSamplesPlayed(rates_, time.u.cb / (format_.blockAlign * profile_.bytesPerSample));
    const auto playedMs = static_cast<std::int32_t>(bytesToMs(format_, dataLength_, played));
    const std::int32_t correctedMs =
        profile_.correctStartLead ? startLead_.correct(playedMs, timeGetTime()) : playedMs;
    const std::int32_t deviceMs = correctedMs + startOffsetMs_;
    if (state_ != kSoundPlaying) {
        smoother_.reset();
        return deviceMs;
    }
    return smoother_.smooth(deviceMs, timeGetTime());
}

void WaveAudioPlayer::stop() { haltOutput(false, kSoundStopped); }

void WaveAudioPlayer::pause() { haltOutput(true, kSoundPaused); }

void WaveAudioPlayer::haltOutput(bool paused, std::int32_t state) {
    requireOpen();
    // The reset clears the device's byte counter; the offset takes over so the position stays
    // where output stopped instead of jumping back to where it started.
    startOffsetMs_ = getPosition();
    chunkStart_ = chunkEnd_ = 0;
    resetDevice();
    paused_ = paused;
    state_ = state;
}

void WaveAudioPlayer::resume() {
    requireOpen();
    if (finished_) {
        endOutput(true);
        return;
    }
    // The pause discarded the queued buffers, so a restart of the device alone would leave it
    // "playing" silence for ever; output starts again at the held position instead.
    if (paused_) {
        play(startOffsetMs_);
        return;
    }
    if (buffersQueued_ > 0) {
        if (waveOutRestart(device_.get()) == MMSYSERR_NOERROR) state_ = kSoundPlaying;
        return;
    }
    // Stopped: nothing is left to continue.
    endOutput(false);
}

void WaveAudioPlayer::setVolume(std::int32_t volume) { volume_ = clampVolume(volume); }

}  // namespace tavrin
