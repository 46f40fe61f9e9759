#include "tools/cardgen/RecordingWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/cardgen/Canvas.h"
#include "tools/cardgen/JpegEncoder.h"
#include "tools/cardgen/Random.h"
#include "tools/cardgen/Scene.h"
#include "tools/cardgen/Sound.h"

namespace tavrin::cardgen {

namespace {

constexpr std::size_t kOneBlockJpeg = kFirstBlockData - 12;  // larger JPEGs need two blocks

struct DamageName {
    Damage damage;
    const char* name;
};
constexpr DamageName kDamageNames[] = {{Damage::None, "none"},
                                       {Damage::Truncated, "truncated"},
                                       {Damage::Garbage, "garbage"},
                                       {Damage::ForeignId, "foreign-id"},
                                       {Damage::NoEndMarker, "no-end-marker"}};

struct SoundBlock {
    double elapsedMs;  // tick minus the first picture's tick
    std::uint32_t tick;
    Bytes samples;
};

std::vector<SoundBlock> soundBlocks(const DrivePlan& plan, Random& random) {
    const std::uint32_t firstTick = plan.frames.front().tick;
    SoundScript script;
    script.startMs = plan.soundLeadMs;
    const double endMs = plan.frames.size() * kFrameMs + 150.0;
    script.samples = static_cast<std::size_t>((endMs - script.startMs) * kSampleRate / 1000.0);
    for (const PlannedFrame& f : plan.frames) script.speedPerFrame.push_back(f.speed);
    for (int e : plan.events) script.beepsMs.push_back(plan.frames[e].tick - firstTick);
    script.seed = random.next();
    const Bytes track = renderSound(script);

    std::vector<SoundBlock> blocks;
    for (std::size_t at = 0; at < track.size(); at += kSoundBlockSamples) {
        const std::size_t count = std::min(kSoundBlockSamples, track.size() - at);
        SoundBlock block;
        block.elapsedMs = kSoundStampDelayMs + script.startMs +
                          static_cast<double>(at) * 1000.0 / kSampleRate + random.between(-2, 2);
        block.tick = firstTick + static_cast<std::uint32_t>(std::lround(block.elapsedMs));
        block.samples.assign(track.begin() + static_cast<std::ptrdiff_t>(at),
                             track.begin() + static_cast<std::ptrdiff_t>(at + count));
        blocks.push_back(std::move(block));
    }
    return blocks;
}

// Makes a picture large enough for several blocks, as a detailed scene would be: first by
// quality, then, for tiny pictures, with a comment segment after the APP0 segment.
Bytes largePicture(const Canvas& canvas, Bytes jpeg) {
    if (jpeg.size() > kOneBlockJpeg) return jpeg;
    jpeg = encodeJpeg(canvas, 97);
    if (jpeg.size() > kOneBlockJpeg) return jpeg;
    const std::size_t app0End = 4 + (jpeg[4] << 8 | jpeg[5]);
    const std::size_t comment = kOneBlockJpeg + 2000 - jpeg.size();
    Bytes segment{0xFF, 0xFE, static_cast<std::uint8_t>((comment - 2) >> 8),
                  static_cast<std::uint8_t>(comment - 2)};
    segment.resize(comment, ' ');
    jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(app0End), segment.begin(),
                segment.end());
    return jpeg;
}

Bytes garbage(Random& random) {
    Bytes bytes(static_cast<std::size_t>(random.between(100, 3000)));
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random.next());
    // Where the scan reads a block type it must not find a sound block, which needs no pattern.
    if (bytes[12] == kSoundBlock) bytes[12] = 0;
    return bytes;
}

// The first frame at or after `from` that has a picture.
int pictureFrameFrom(const DrivePlan& plan, int from) {
    for (int i = std::max(from, 0); i < static_cast<int>(plan.frames.size()); ++i) {
        if (!plan.frames[i].dropped) return i;
    }
    return -1;
}

FrameFields fieldsOf(const PlannedFrame& f, const RecordingRequest& request) {
    FrameFields fields;
    fields.mark = f.marked ? 0x20 : 0;
    fields.fileGroup = static_cast<std::uint8_t>(request.fileGroup);
    fields.time = f.time;
    std::copy(f.accel, f.accel + 3, fields.accel);
    fields.speed = f.speed;
    fields.fileNumber = request.fileNumber;
    return fields;
}

bool brakingAt(const DrivePlan& plan, int frame) {
    return std::any_of(plan.events.begin(), plan.events.end(),
                       [frame](int e) { return frame >= e && frame < e + 28; });
}

}  // namespace

const char* damageName(Damage damage) {
    for (const auto& d : kDamageNames) {
        if (d.damage == damage) return d.name;
    }
    return "none";
}

bool parseDamage(const std::string& name, Damage& damage) {
    for (const auto& d : kDamageNames) {
        if (d.damage != Damage::None && name == d.name) {
            damage = d.damage;
            return true;
        }
    }
    return false;
}

ArchiveBuilder buildRecording(const RecordingRequest& request, RecordingStats& stats) {
    Random random(request.seed);
    Random planRandom = random.fork(1);
    Random soundRandom = random.fork(2);
    Random damageRandom = random.fork(3);
    const DrivePlan plan = planDrive(request.drive, planRandom);
    std::vector<SoundBlock> sounds = soundBlocks(plan, soundRandom);

    ArchiveBuilder builder(plan.header);
    builder.setBlockAlignment(request.blockAlignment);
    stats = RecordingStats{};
    stats.frames = static_cast<int>(plan.frames.size());
    stats.events = plan.events;

    const int frames = static_cast<int>(plan.frames.size());
    const int target = pictureFrameFrom(
        plan, request.damage == Damage::Truncated ? frames * 7 / 10 : frames * 11 / 20);
    const int garbageAfter[2] = {pictureFrameFrom(plan, frames / 3),
                                 pictureFrameFrom(plan, frames * 2 / 3)};
    const std::uint32_t foreignId = plan.header.recordingId ^ 0x5A5A0001u;

    Canvas canvas(request.width, request.height);
    const std::uint32_t firstTick = plan.frames.front().tick;
    std::size_t nextSound = 0;
    Bytes previous;
    for (const PlannedFrame& f : plan.frames) {
        if (f.dropped) {
            stats.dropped.push_back(f.index);
            continue;
        }
        const double elapsed = static_cast<double>(f.tick - firstTick);
        for (; nextSound < sounds.size() && sounds[nextSound].elapsedMs <= elapsed; ++nextSound) {
            builder.addSound(sounds[nextSound].samples, sounds[nextSound].tick);
            ++stats.soundBlocks;
        }

        SceneFrame scene;
        scene.frameIndex = f.index;
        scene.fileNumber = request.fileNumber;
        scene.seconds = f.index * kFrameMs / 1000.0;
        scene.distance = f.distance;
        scene.lateral = f.lateral;
        scene.braking = brakingAt(plan, f.index);
        drawScene(canvas, scene);
        Bytes jpeg = encodeJpeg(canvas, f.quality);

        ArchiveBuilder::PictureOptions options;
        const bool isTarget = f.index == target && request.damage != Damage::None;
        if (isTarget && request.damage == Damage::ForeignId && !previous.empty()) {
            ArchiveBuilder::PictureOptions stray;
            stray.recordingId = foreignId;
            builder.addPicture(previous, f.tick - 20, fieldsOf(f, request), stray);
            char note[80];
            std::snprintf(note, sizeof note, "picture block of recording %08X before frame %d",
                          static_cast<unsigned>(foreignId), f.index);
            stats.damageNote = note;
        }
        if (isTarget &&
            (request.damage == Damage::NoEndMarker || request.damage == Damage::Truncated)) {
            jpeg = largePicture(canvas, std::move(jpeg));
            options.dropEndMarker = request.damage == Damage::NoEndMarker;
        }
        const std::size_t offset = builder.bytes().size();
        builder.addPicture(jpeg, f.tick, fieldsOf(f, request), options);
        ++stats.pictures;
        const std::size_t blocks = (builder.bytes().size() - offset + kBlockSize - 1) / kBlockSize;
        ++stats.picturesOfBlocks[std::min<std::size_t>(blocks, 4)];
        previous = std::move(jpeg);

        if (isTarget && request.damage == Damage::NoEndMarker) {
            stats.damageNote = "frame " + std::to_string(f.index) + " (" + std::to_string(blocks) +
                               " blocks) lacks its end marker";
        }
        if (isTarget && request.damage == Damage::Truncated) {
            // The card was pulled out while the picture's second block was being written.
            builder.truncate(offset + kBlockSize + 1000);
            stats.damageNote = "cut inside frame " + std::to_string(f.index);
            return builder;
        }
        if (request.damage == Damage::Garbage &&
            (f.index == garbageAfter[0] || f.index == garbageAfter[1])) {
            const Bytes junk = garbage(damageRandom);
            builder.addRaw(junk);
            stats.damageNote += (stats.damageNote.empty() ? "" : ", ") +
                                std::to_string(junk.size()) + " bytes of garbage after frame " +
                                std::to_string(f.index);
        }
    }
    for (; nextSound < sounds.size(); ++nextSound) {
        builder.addSound(sounds[nextSound].samples, sounds[nextSound].tick);
        ++stats.soundBlocks;
    }
    return builder;
}

}  // namespace tavrin::cardgen
