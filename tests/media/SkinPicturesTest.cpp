// The skin pictures kept in resources/skin, read from the source tree and decoded with the
// program's own PNG decoder: each has the size its window draws it at, the resource script names
// exactly these pictures, and pictures that are copied next to or over each other without blending
// meet without a visible edge.
//
// The folder is taken from TAVRIN_SKIN_DIR when set, otherwise found from this file's own path.

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "media/Image.h"
#include "media/PngDecoder.h"

namespace tavrin {
namespace {

struct Size {
    int width;
    int height;
};

// The size each picture is drawn at, as its window lays it out.
const std::map<int, Size>& expectedSizes() {
    static const std::map<int, Size> sizes = [] {
        std::map<int, Size> s;
        // Main window: right column pieces 209 wide, left strip 21 wide.
        s[218] = {209, 8};
        s[219] = {209, 4};
        s[220] = {209, 8};
        s[284] = {21, 32};
        s[285] = {280, 73};  // start-up picture
        // Control panel, 65 high: background slices, buttons at their control sizes.
        s[223] = {248, 65};
        s[221] = {8, 65};
        s[222] = {16, 65};
        for (int id : {10015, 10016, 10017, 10034, 10035, 10033}) s[id] = {40, 40};
        for (int id : {10018, 10019, 10020}) s[id] = {26, 26};
        for (int id : {10009, 10010, 10011, 10012, 10013, 10014}) s[id] = {30, 30};
        for (int id : {10003, 10004, 10005, 10006, 10007, 10008}) s[id] = {22, 22};
        s[10027] = {64, 30};  // position slider, 30 high
        s[295] = {64, 30};
        s[10031] = {15, 30};
        s[10030] = {4, 8};
        // Information panel and its glyphs.
        s[10026] = {209, 180};
        for (int id = 225; id <= 235; ++id) s[id] = {13, 20};
        s[224] = {11, 20};
        for (int id = 250; id <= 260; ++id) s[id] = {24, 34};
        s[261] = {12, 34};
        // Chart, 90 high: bezel 20 on the left, 25 on the right.
        s[359] = {20, 90};
        s[360] = {8, 90};
        s[361] = {25, 90};
        // Volume and brightness panel and its controls.
        s[10024] = {209, 140};
        s[291] = {11, 16};
        s[403] = {151, 16};
        s[10001] = {151, 16};
        s[290] = {17, 15};
        s[289] = {16, 16};
        for (int id : {10021, 10022, 10023}) s[id] = {102, 28};
        return s;
    }();
    return sizes;
}

std::string skinFolder() {
    if (const char* dir = std::getenv("TAVRIN_SKIN_DIR"); dir && *dir) return dir;
    std::string here = __FILE__;
    const std::size_t cut = here.find_last_of("/\\");
    // tests/media/ -> the repository root.
    return here.substr(0, cut) + "/../../resources/skin";
}

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using Bgr = std::array<int, 3>;

constexpr int kConsoleMiddle = 221;

// Decoded pictures by resource id, loaded once for the suite.
class SkinPicturesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        pictures_ = new std::map<int, std::unique_ptr<Image>>;
        for (const auto& [id, size] : expectedSizes()) {
            const std::vector<std::uint8_t> bytes =
                    readFile(skinFolder() + "/" + std::to_string(id) + ".png");
            (*pictures_)[id] = bytes.empty() ? nullptr : decodePng(bytes.data(), bytes.size());
        }
    }
    static void TearDownTestSuite() {
        delete pictures_;
        pictures_ = nullptr;
    }

    static const Image& picture(int id) {
        const auto& image = pictures_->at(id);
        if (!image) throw std::runtime_error("picture " + std::to_string(id) + " not decoded");
        return *image;
    }

    // Colour of the pixel at (x, y), y counted from the top.
    static Bgr at(int id, int x, int y) {
        const Image& image = picture(id);
        const std::uint8_t* p = image.row(image.height() - 1 - y) + x * 4;
        return {p[0], p[1], p[2]};
    }

    // Where a picture is copied over another at (dx, dy), the pixels that are not the control's
    // face must be those of the picture below. The control panel's middle slice is stretched
    // sideways (its columns are alike), so its first column stands for every x.
    static Bgr below(int under, int x, int y) {
        return under == kConsoleMiddle ? at(under, 0, y) : at(under, x, y);
    }

    // The four corners only: round and pill faces reach the middle of each edge.
    static void expectCornersOver(int id, int under, int dx, int dy) {
        const Image& image = picture(id);
        for (int x : {0, image.width() - 1})
            for (int y : {0, image.height() - 1})
                EXPECT_EQ(below(under, dx + x, dy + y), at(id, x, y))
                        << "picture " << id << " corner (" << x << ", " << y << ") over " << under;
    }

    // The whole outer ring: for pictures whose marks keep clear of their edges.
    static void expectRingOver(int id, int under, int dx, int dy) {
        const Image& image = picture(id);
        const int w = image.width(), h = image.height();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (y != 0 && y != h - 1 && x != 0 && x != w - 1) continue;
                EXPECT_EQ(below(under, dx + x, dy + y), at(id, x, y))
                        << "picture " << id << " at (" << x << ", " << y << ") over " << under;
            }
    }

    static std::map<int, std::unique_ptr<Image>>* pictures_;
};

std::map<int, std::unique_ptr<Image>>* SkinPicturesTest::pictures_ = nullptr;

TEST_F(SkinPicturesTest, ResourceScriptNamesExactlyThePicturesTheWindowsDraw) {
    const std::vector<std::uint8_t> bytes = readFile(skinFolder() + "/../skin.rc");
    ASSERT_FALSE(bytes.empty()) << "no skin.rc beside " << skinFolder();
    std::istringstream script(std::string(bytes.begin(), bytes.end()));
    const std::regex entry(R"(^(\d+) IMAGE "skin/(\d+)\.png"\r?$)");
    std::set<int> named;
    std::string line;
    while (std::getline(script, line)) {
        std::smatch m;
        if (!std::regex_match(line, m, entry)) continue;
        EXPECT_EQ(m[1].str(), m[2].str()) << line;
        EXPECT_TRUE(named.insert(std::stoi(m[1].str())).second) << "named twice: " << line;
    }
    std::set<int> expected;
    for (const auto& [id, size] : expectedSizes()) expected.insert(id);
    EXPECT_EQ(expected, named);
}

TEST_F(SkinPicturesTest, EveryPictureDecodesAtItsDrawnSize) {
    for (const auto& [id, size] : expectedSizes()) {
        const auto& image = pictures_->at(id);
        ASSERT_NE(nullptr, image) << "picture " << id << " is missing or does not decode";
        EXPECT_EQ(size.width, image->width()) << "picture " << id;
        EXPECT_EQ(size.height, image->height()) << "picture " << id;
    }
}

TEST_F(SkinPicturesTest, ControlsMeetThePanelAroundThem) {
    // Control panel buttons over its left slice, at their positions in the panel.
    const struct {
        std::array<int, 3> ids;
        int x, y;
    } buttons[] = {{{10015, 10016, 10017}, 23, 11}, {{10034, 10035, 10033}, 23, 11},
                   {{10018, 10019, 10020}, 67, 18}, {{10009, 10010, 10011}, 107, 17},
                   {{10012, 10013, 10014}, 140, 17}, {{10003, 10004, 10005}, 198, 22},
                   {{10006, 10007, 10008}, 220, 22}};
    for (const auto& button : buttons)
        for (int id : button.ids) expectCornersOver(id, 223, button.x, button.y);

    // Position slider (at y 26 in the panel): track and fill carry the panel's rows around the
    // groove, the thumb around its knob.
    for (int id : {10027, 295}) expectRingOver(id, 221, 0, 26);
    expectCornersOver(10031, 221, 0, 26);

    // Volume and brightness panel: open button, standard buttons, both tracks; the one thumb
    // travels over both tracks.
    for (int id : {10021, 10022, 10023}) expectCornersOver(id, 10024, 57, 97);
    expectCornersOver(290, 10024, 14, 22);
    expectCornersOver(289, 10024, 14, 56);
    expectRingOver(403, 10024, 40, 22);
    expectRingOver(10001, 10024, 40, 56);
    expectCornersOver(291, 403, 0, 0);
    expectCornersOver(291, 10001, 140, 0);
}

TEST_F(SkinPicturesTest, DateAndTimeLinesLieOnTheirGlyphsGround) {
    // The panel copies the date line to (62, 80) and the time line to (20, 105), 126 and 168
    // wide: the background there must be the glyphs' own ground, or the lines show as boxes.
    const Bgr ground = at(225, 0, 0);
    for (int id = 224; id <= 261; ++id) {
        if (id > 235 && id < 250) continue;
        EXPECT_EQ(ground, at(id, 0, 0)) << "glyph " << id;
    }
    for (int y = 80; y < 80 + 20; ++y)
        for (int x = 62; x < 62 + 126; ++x) ASSERT_EQ(ground, at(10026, x, y)) << x << "," << y;
    for (int y = 105; y < 105 + 34; ++y)
        for (int x = 20; x < 20 + 168; ++x) ASSERT_EQ(ground, at(10026, x, y)) << x << "," << y;
}

TEST_F(SkinPicturesTest, StretchedAndTiledPiecesAreUniformAlongTheirStretch) {
    // Stretched sideways: every column of the middle alike.
    const struct {
        int id;
        int fromColumn, toColumn;
    } sideways[] = {{221, 0, 8}, {360, 0, 8}, {10027, 7, 57}, {295, 7, 57}};
    for (const auto& piece : sideways) {
        const Image& image = picture(piece.id);
        for (int y = 0; y < image.height(); ++y)
            for (int x = piece.fromColumn + 1; x < piece.toColumn; ++x)
                ASSERT_EQ(at(piece.id, piece.fromColumn, y), at(piece.id, x, y))
                        << "picture " << piece.id << " column " << x << " row " << y;
    }
    // Stretched or tiled downwards: every row alike.
    for (int id : {219, 284}) {
        const Image& image = picture(id);
        for (int y = 1; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ASSERT_EQ(at(id, x, 0), at(id, x, y)) << "picture " << id << " row " << y;
    }
}

TEST_F(SkinPicturesTest, StartupPictureIsPlainWhite) {
    const Image& image = picture(285);
    const Bgr white{255, 255, 255};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ASSERT_EQ(white, at(285, x, y)) << x << "," << y;
}

}  // namespace
}  // namespace tavrin
