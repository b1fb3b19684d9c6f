// The credits on screen at the show's start: the first glyphs of lines 1 and 5 where the overlay puts
// them, tinted yellow and translucent over the picture, and one box per character when the font
// texture is missing.
#include "show/textures.h"
#include "tests/render/scene_frames.h"

namespace {

constexpr double overlayPerPixel = 1200.0 / 640.0; // 900 / 480 too
const double yellow[3] = {255.0, 0.9 * 255.0, 0.0};

struct Box {
    double left, top, right, bottom; // overlay units
};

// The frame at songTime 0 inside one glyph's box, against the heat-tube picture with the glyph's cell
// of the font sheet laid over it in (1, 0.9, 0) at 40 %. Returns the number of pixels that differ.
// Only the part of the box left of aloneUntil is looked at: the next glyph's quad begins there.
int compareGlyph(const Frame& f, const Image& duct, const Image& font, const Box& box, double aloneUntil,
                 int cell, int* inked) {
    int bad = 0;
    *inked = 0;
    for (int y = int(box.top / overlayPerPixel) + 1; (y + 1) * overlayPerPixel < box.bottom; y++)
        for (int x = int(box.left / overlayPerPixel) + 1; (x + 1) * overlayPerPixel < aloneUntil; x++) {
            const double X = (x + 0.5) * overlayPerPixel, Y = (y + 0.5) * overlayPerPixel;
            const double s = (cell % 16 + (X - box.left) / (box.right - box.left)) / 16.0;
            const double t = (cell / 16 + (Y - box.top) / (box.bottom - box.top)) / 16.0;
            double ink[4], under[4], want[3];
            samplePicture(font, s, t, ink);
            samplePicture(duct, pictureS(f, x), pictureT(f, y), under);
            const double a = 0.4 * ink[3] / 255.0;
            for (int c = 0; c < 3; c++)
                want[c] = ink[c] / 255.0 * yellow[c] * a + under[c] * (1.0 - a);
            bad += colourDistance(f.at(x, y), want) > 4.0;
            *inked += ink[3] > 128.0;
        }
    return bad;
}

} // namespace

TEST_F(ShowFrames, FirstGlyphsOfLinesOneAndFiveAtTimeZero) {
    const Picture duct = decodedPicture("data/HeatTube.png"), font = decodedPicture("data/SouthPark.png");
    ASSERT_TRUE(duct && font);
    const Frame f = drawShowFrame(0.0f, 0.0f);
    int inked = 0;
    // 'V' of line 1 in its quad from x 80 to 160 and y 240 to 310; its right half is shared with the next
    // glyph's quad, which starts 48 units on, so only the left 48 units are the V's alone.
    EXPECT_EQ(compareGlyph(f, *duct, *font, {80, 240, 160, 310}, 128, 65 + 'V' - 'A', &inked), 0);
    EXPECT_GT(inked, 30) << "the V's ink lies in its box";
    // '(' of line 5 from x 120 to 160 and y 576 to 611, alone over its first 24 units.
    EXPECT_EQ(compareGlyph(f, *duct, *font, {120, 576, 160, 611}, 144, '(' - 32, &inked), 0);
    EXPECT_GT(inked, 5) << "the parenthesis's ink lies in its box";
    // Nothing of the overlay left of line 1's first glyph or above it.
    const std::vector<bool> credits = creditFootprint(0.0f);
    for (int y = 0; y < 128; y++)
        for (int x = 0; x < f.width; x++)
            ASSERT_FALSE(credits[size_t(y) * f.width + x]) << "overlay above line 1 at " << x << ", " << y;
    for (int y = 128; y < 166; y++)
        for (int x = 0; x < 42; x++)
            ASSERT_FALSE(credits[size_t(y) * f.width + x]) << "overlay left of line 1 at " << x << ", " << y;
    if (HasFailure())
        keepFrame(f, "credits-0");
}

TEST_F(ShowFrames, MissingFontDrawsOneTranslucentYellowBoxPerCharacter) {
    const Picture duct = decodedPicture("data/HeatTube.png");
    ASSERT_TRUE(duct);
    const GLuint font = texSouthPark;
    texSouthPark = 0;
    const Frame f = drawShowFrame(0.0f, 0.0f);
    texSouthPark = font;
    // Along line 1 ("Vormel & quib", spaces included) box k covers x from 80 + 48 k to 160 + 48 k and y
    // from 240 to 310; where n boxes overlap, the picture keeps 0.6^n of itself.
    int compared = 0, bad = 0, doubled = 0;
    for (int y = 129; y < 165; y++)
        for (int x = 0; x < f.width; x++) {
            const double X = (x + 0.5) * overlayPerPixel;
            int n = 0;
            bool edge = false;
            for (int k = 0; k < 13; k++) {
                const double left = 80.0 + 48.0 * k, right = left + 80.0;
                n += X >= left && X < right;
                edge |= std::fabs(X - left) < 2.0 || std::fabs(X - right) < 2.0;
            }
            if (edge)
                continue;
            double under[4], want[3];
            samplePicture(*duct, pictureS(f, x), pictureT(f, y), under);
            const double keep = std::pow(0.6, n);
            for (int c = 0; c < 3; c++)
                want[c] = under[c] * keep + yellow[c] * (1.0 - keep);
            compared++;
            doubled += n == 2;
            bad += colourDistance(f.at(x, y), want) > 4.0;
        }
    EXPECT_GT(doubled, 1000);
    EXPECT_EQ(bad, 0) << "of " << compared << " pixels along line 1";
    if (HasFailure())
        keepFrame(f, "credits-nofont");
}
