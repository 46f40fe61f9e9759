#include "recording/TrackAssembler.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "recording/ByteSource.h"
#include "recording/PageAlignment.h"
#include "recording/SoundSink.h"
#include "recording/SoundTrack.h"

namespace tavrin {

namespace {

// Gap fill goes in pieces of this size.
constexpr std::size_t kPiece = 4096;
constexpr std::int64_t kLargestDroppedRemainder = 2048;
// The byte that pads a gap before any sample was read: 1 when a picture passed the device
// check, which is known only at the end, so the streaming track assumes it.
constexpr std::uint8_t kStreamingInitialHold = 1;
constexpr double kNoPicture = std::numeric_limits<double>::max();
// Room for a buffer's samples behind the bytes that place them within a page.
constexpr std::size_t kBufferCapacity = TrackAssembler::kBufferSize + kPageSize;

// Milliseconds to sample bytes, truncated.
std::int64_t bytesFor(double milliseconds) {
    return static_cast<std::int64_t>(milliseconds * kSampleRate / 1000.0);
}

// Silence in front of the sound when it starts more than 38 ms after the earliest picture.
std::int64_t leadingSilence(std::int64_t firstSoundTick, double earliestPictureTick,
                            bool anyPicture) {
    if (!anyPicture) return 0;
    auto lead = static_cast<std::int64_t>(static_cast<double>(firstSoundTick) -
                                          earliestPictureTick - kSoundLeadMilliseconds);
    return lead > 0 ? std::min(bytesFor(static_cast<double>(lead)), kMaxSoundBytes) : 0;
}

}  // namespace

void TrackAssembler::start(SoundSink& sink) {
    sink_ = &sink;
    reset(kStreamingInitialHold);
    streaming_ = true;
    added_ = 0;
    earliestPictureTick_ = kNoPicture;
}

void TrackAssembler::reset(std::uint8_t initialHold) {
    written_ = 0;
    leadDecided_ = false;
    lead_ = 0;
    hold_ = initialHold;
    holdFromSamples_ = false;
    initialHoldUsed_ = false;
    pending_ = Pending();
    // As if without leading silence, which is decided only when the first buffer goes out.
    placeNextSamples();
}

void TrackAssembler::add(const FrameInfo& sound, const std::uint8_t* samples, std::size_t count,
                         double earliestPictureTick) {
    if (!streaming_) return;
    earliestPictureTick_ = earliestPictureTick;
    if (added_ == 0) {
        firstTick_ = sound.tick;
    } else if (sound.tick < pending_.tick) {
        abandon();  // out of tick order: only the sorted blocks tell what the track is
        return;
    } else {
        settle(sound.tick);
    }
    ++added_;
    put(sound, samples, count);
}

void TrackAssembler::settle(std::int64_t nextTick) {
    const std::int64_t gap = bytesFor(static_cast<double>(nextTick - pending_.tick));
    if (gap <= kShortestGap) {
        // Too close to its successor: the block contributes nothing.
        buffer_.resize(pending_.start);
        written_ -= static_cast<std::int64_t>(pending_.count);
        hold_ = pending_.holdBefore;
        holdFromSamples_ = pending_.holdFromSamplesBefore;
    } else {
        // The gap is held at the last sample, in whole pieces of 4096; a last piece of up to 2048
        // is lost.
        const std::int64_t remaining = gap - static_cast<std::int64_t>(pending_.count);
        const std::int64_t lastPiece = remaining % static_cast<std::int64_t>(kPiece);
        const std::int64_t held = remaining <= kLargestDroppedRemainder  ? 0
                                  : lastPiece > kLargestDroppedRemainder ? remaining
                                                                         : remaining - lastPiece;
        if (held > 0 && !holdFromSamples_) initialHoldUsed_ = true;
        fill(hold_, held);
    }
    pending_.present = false;
}

void TrackAssembler::put(const FrameInfo& sound, const std::uint8_t* samples, std::size_t count) {
    std::size_t m = sound.payloadSize <= 0
                        ? 0
                        : std::min<std::size_t>(static_cast<std::size_t>(sound.payloadSize),
                                                kMostSamplesPerBlock);
    // A block's samples stay in one buffer, so that they can still be taken back. The hand-off may
    // put the leading silence in front, so the room left in the track is taken after it.
    if (kBufferSize - samplesHeld() < m && !handOff()) return;
    m = static_cast<std::size_t>(std::min<std::int64_t>(
        static_cast<std::int64_t>(m), std::max<std::int64_t>(0, kMaxSoundBytes - written_)));
    const std::size_t read = std::min(count, m);
    pending_ = {true, sound.tick, buffer_.size(), m, read, hold_, holdFromSamples_};
    if (m == 0) return;
    buffer_.insert(buffer_.end(), samples, samples + read);
    if (read < m) {
        // What cannot be read keeps the byte the buffer was filled with.
        if (!holdFromSamples_) initialHoldUsed_ = true;
        buffer_.insert(buffer_.end(), m - read, hold_);
    } else {
        holdFromSamples_ = true;
    }
    hold_ = buffer_.back();
    written_ += static_cast<std::int64_t>(m);
}

void TrackAssembler::closeLast() {
    if (!pending_.present) return;
    const auto from = buffer_.begin() + static_cast<std::ptrdiff_t>(pending_.start);
    std::fill(from + static_cast<std::ptrdiff_t>(pending_.read),
              from + static_cast<std::ptrdiff_t>(pending_.count), kSilence);
    pending_.present = false;
}

void TrackAssembler::fill(std::uint8_t value, std::int64_t count) {
    if (count <= static_cast<std::int64_t>(kBufferSize - samplesHeld())) {
        count = std::min(count, kMaxSoundBytes - written_);
        if (count <= 0) return;
        buffer_.insert(buffer_.end(), static_cast<std::size_t>(count), value);
        written_ += count;
        return;
    }
    // Longer than the buffer has room for: what it holds goes first, then the run as a run.
    // The hand-off may put the leading silence in front, so the room left is taken after it.
    if (!handOff()) return;
    count = std::min(count, kMaxSoundBytes - written_);
    if (count <= 0) return;
    sink_->appendRun(value, count);
    written_ += count;
    placeNextSamples();  // behind the run
}

bool TrackAssembler::handOff() {
    if (!leadDecided_) {
        decideLead(
            leadingSilence(firstTick_, earliestPictureTick_, earliestPictureTick_ != kNoPicture));
        if (!leadDecided_) return false;
    }
    passBuffer();
    placeNextSamples();
    return true;
}

void TrackAssembler::passBuffer() {
    if (samplesHeld() > 0) sink_->append(buffer_, samplesFrom_);
    buffer_.clear();
    samplesFrom_ = 0;
}

void TrackAssembler::placeNextSamples() {
    // The samples gathered next go to the wave file behind its header and those handed over
    // (the leading silence included): they are put at the same place within a page of memory,
    // where the system copies them into the file's pages fastest.
    buffer_.clear();
    buffer_.reserve(kBufferCapacity);
    samplesFrom_ =
        pageDistance(buffer_.data(), static_cast<std::int64_t>(kWaveHeaderSize) + written_);
    buffer_.resize(samplesFrom_);
}

void TrackAssembler::decideLead(std::int64_t lead) {
    // The samples gathered so far were limited as if there were no leading silence; with it they
    // must still fit the track.
    if (lead + written_ > kMaxSoundBytes) {
        abandon();
        return;
    }
    leadDecided_ = true;
    lead_ = lead;
    written_ += lead;
    sink_->appendRun(kSilence, lead);
}

void TrackAssembler::abandon() {
    streaming_ = false;
    buffer_.clear();
    samplesFrom_ = 0;
    pending_ = Pending();
}

std::int64_t TrackAssembler::finish(std::vector<FrameInfo>& sounds, double earliestPictureTick,
                                    std::size_t pictureCount, bool sawValidPicture,
                                    ByteSource& archive) {
    const std::uint8_t initialHold = sawValidPicture ? 1 : 0;
    if (streaming_ &&
        (added_ != sounds.size() || (initialHoldUsed_ && initialHold != kStreamingInitialHold))) {
        abandon();
    }
    if (streaming_) {
        const std::int64_t lead =
            sounds.empty() ? 0 : leadingSilence(firstTick_, earliestPictureTick, pictureCount > 0);
        if (!leadDecided_) {
            decideLead(lead);
        } else if (lead != lead_) {
            abandon();
        }
    }
    if (!streaming_)
        return writeSorted(sounds, earliestPictureTick, pictureCount, sawValidPicture, archive);
    streaming_ = false;
    closeLast();
    passBuffer();
    sounds.clear();
    sink_->finish(static_cast<std::uint32_t>(written_));
    return written_;
}

std::int64_t TrackAssembler::writeSorted(std::vector<FrameInfo>& sounds, double earliestPictureTick,
                                         std::size_t pictureCount, bool sawValidPicture,
                                         ByteSource& archive) {
    sink_->restart();
    reset(sawValidPicture ? 1 : 0);
    streaming_ = false;
    // Tick order, equal ticks keeping file order.
    std::vector<std::size_t> order(sounds.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&sounds](std::size_t a, std::size_t b) {
        return sounds[a].tick < sounds[b].tick;
    });
    leadDecided_ = true;
    lead_ = sounds.empty()
                ? 0
                : leadingSilence(sounds[order.front()].tick, earliestPictureTick, pictureCount > 0);
    fill(kSilence, lead_);
    std::uint8_t samples[kMostSamplesPerBlock];
    for (std::size_t i = 0; i < order.size(); ++i) {
        const FrameInfo& sound = sounds[order[i]];
        if (i > 0) settle(sound.tick);
        std::size_t wanted =
            sound.payloadSize <= 0
                ? 0
                : std::min<std::size_t>(static_cast<std::size_t>(sound.payloadSize),
                                        kMostSamplesPerBlock);
        if (written_ >= kMaxSoundBytes) wanted = 0;  // the track is full: nothing more is read
        const std::size_t got =
            wanted == 0 ? 0 : archive.readAt(sound.blockPositions[0], samples, wanted);
        put(sound, samples, got);
    }
    closeLast();
    passBuffer();
    sounds.clear();
    sink_->finish(static_cast<std::uint32_t>(written_));
    return written_;
}

}  // namespace tavrin
