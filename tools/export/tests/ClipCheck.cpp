#include "tools/export/tests/ClipCheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "recording/TextEncoding.h"
#include "tests/support/TestFolder.h"
#include "tools/cardgen/FrameStrip.h"
#include "tools/export/tests/ExporterProcess.h"

namespace tavrin::exporttest {

namespace {

constexpr int kSamplesPerSecond = 13183;
constexpr int kFramesPerSecond = 28;
const char kTools[] = "export PATH=/usr/bin:/bin; ";

std::string ffmpeg(const Path& file) {
    return std::string(kTools) + "ffmpeg -nostdin -v error -i " + shellQuoted(hostPathOf(file));
}

// Decoded frames as rows of blue, green, red bytes, top-down; their frame-strip readings.
std::vector<int> decodedStrips(const Path& file, int width, int height) {
    test::TestFolder folder;
    runOnHost(ffmpeg(file) + " -map 0:v -f rawvideo -pix_fmt bgr24 " +
              shellQuoted(hostPathOf(folder.file(L"frames.raw"))));
    const test::Bytes raw = test::readBytes(folder.file(L"frames.raw"));
    const std::size_t frameBytes = static_cast<std::size_t>(width) * height * 3;
    std::vector<int> strips;
    for (std::size_t at = 0; frameBytes > 0 && at + frameBytes <= raw.size(); at += frameBytes) {
        strips.push_back(
            cardgen::readFrameStrip(raw.data() + at, width, height, width * 3, false, 3));
    }
    return strips;
}

// Power of the 2 kHz beep against all power in `count` samples from `at` (Goertzel).
double beepShare(const Bytes& sound, std::size_t at, std::size_t count) {
    const double w = 2 * 3.14159265358979 * 2000.0 / kSamplesPerSecond;
    double mean = 0;
    for (std::size_t i = 0; i < count; ++i) mean += sound[at + i];
    mean /= static_cast<double>(count);
    double s1 = 0, s2 = 0, total = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double x = sound[at + i] - mean;
        const double s = x + 2 * std::cos(w) * s1 - s2;
        s2 = s1;
        s1 = s;
        total += x * x;
    }
    const double tone = s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
    return total > 0 ? tone * 2 / static_cast<double>(count) / total : 0;
}

}  // namespace

std::map<std::string, std::string> probeStream(const Path& file, const char* stream) {
    const std::string out = runOnHost(
        std::string(kTools) + "ffprobe -v error -count_packets -select_streams " + stream +
        " -show_entries stream=codec_type,codec_name,r_frame_rate,sample_rate,channels,"
        "sample_fmt,width,height,nb_read_packets:format=duration,format_name -of default=nw=1 " +
        shellQuoted(hostPathOf(file)));
    std::map<std::string, std::string> values;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

std::vector<Bytes> copiedPictures(const Path& file) {
    test::TestFolder folder;
    runOnHost(ffmpeg(file) + " -map 0:v -c copy -f image2 " +
              shellQuoted(hostPathOf(folder.path()) + "/%06d.jpg"));
    std::vector<Bytes> pictures;
    for (int i = 1;; ++i) {
        wchar_t name[32];
        std::swprintf(name, 32, L"%06d.jpg", i);
        if (!fileExists(folder.file(name))) break;
        pictures.push_back(test::readBytes(folder.file(name)));
    }
    return pictures;
}

Bytes copiedSound(const Path& file) {
    test::TestFolder folder;
    runOnHost(ffmpeg(file) + " -map 0:a -c copy -f u8 " +
              shellQuoted(hostPathOf(folder.file(L"sound.raw"))));
    return test::readBytes(folder.file(L"sound.raw"));
}

std::vector<std::size_t> beepStarts(const Bytes& sound) {
    constexpr std::size_t kWindow = 66;  // 5 ms
    std::vector<std::size_t> starts;
    bool inBeep = false;
    for (std::size_t at = 0; at + kWindow <= sound.size(); at += kWindow / 2) {
        const bool beep = beepShare(sound, at, kWindow) > 0.5;
        if (beep && !inBeep) starts.push_back(at);
        inBeep = beep;
    }
    return starts;
}

void expectClipIsWhatTheViewerShows(const Path& avi, const std::vector<SourceRange>& sources) {
    SCOPED_TRACE(toUtf8(avi));
    const ViewerClip viewer = viewerClip(sources);
    const std::size_t frames = viewer.slots.size();

    auto video = probeStream(avi, "v:0");
    EXPECT_EQ(video["format_name"], "avi");
    EXPECT_EQ(video["codec_type"], "video");
    EXPECT_EQ(video["codec_name"], "mjpeg");
    EXPECT_EQ(video["r_frame_rate"], "28/1");
    EXPECT_EQ(video["width"], std::to_string(viewer.width));
    EXPECT_EQ(video["height"], std::to_string(viewer.height));
    EXPECT_EQ(video["nb_read_packets"], std::to_string(frames));
    EXPECT_NEAR(std::stod(video["duration"]), static_cast<double>(frames) / kFramesPerSecond,
                0.002);
    auto audio = probeStream(avi, "a:0");
    EXPECT_EQ(audio["codec_type"], "audio");
    EXPECT_EQ(audio["codec_name"], "pcm_u8");
    EXPECT_EQ(audio["sample_rate"], "13183");
    EXPECT_EQ(audio["channels"], "1");

    const std::vector<Bytes> pictures = copiedPictures(avi);
    ASSERT_EQ(pictures.size(), frames);
    for (std::size_t i = 0; i < frames; ++i) {
        ASSERT_EQ(pictures[i], viewer.slots[i].picture) << "picture of slot " << i;
    }

    const std::vector<int> strips = decodedStrips(avi, viewer.width, viewer.height);
    ASSERT_EQ(strips.size(), frames);
    int read = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        // A picture the viewer itself shows garbled (cut off by the end of the file) has no
        // readable strip to compare.
        if (viewer.slots[i].frameIndex < 0) continue;
        ++read;
        EXPECT_EQ(strips[i], viewer.slots[i].frameIndex) << "decoded frame " << i;
    }
    EXPECT_GT(read, static_cast<int>(frames) * 9 / 10);

    const Bytes sound = copiedSound(avi);
    ASSERT_EQ(sound.size(), viewer.sound.size());
    EXPECT_TRUE(sound == viewer.sound) << "the sound differs from the viewer's track";

    // The unit beeps at its first marked frame: the beep starts within a frame of that picture.
    const std::vector<std::size_t> beeps = beepStarts(sound);
    for (std::size_t i = 0; i < frames; ++i) {
        if (!viewer.slots[i].marked || (i > 0 && viewer.slots[i - 1].marked)) continue;
        const double pictureAt = static_cast<double>(i) / kFramesPerSecond;
        bool heard = false;
        for (std::size_t start : beeps) {
            const double at = static_cast<double>(start) / kSamplesPerSecond;
            heard = heard || std::fabs(at - pictureAt) <= 1.0 / kFramesPerSecond;
        }
        EXPECT_TRUE(heard) << "no beep within a frame of the marked picture at slot " << i;
    }
}

}  // namespace tavrin::exporttest
