// The campfire on screen, run from the scene's start at 25 s: sparks glow in the open sky above the
// crowd and never show over the picture's opaque lower part.
#include "tests/render/scene_frames.h"

namespace {

// The frame's clear colour (0, 0, 0.05) as 8 bits.
constexpr double backgroundBlue = 0.05 * 255.0;

} // namespace

TEST_F(ShowFrames, SparksRiseIntoTheSkyAndNeverShowOverTheCrowd) {
    const Picture crowd = decodedPicture("data/LagerFeuer.png");
    ASSERT_TRUE(crowd);
    const int first = 25 * 60, last = 31 * 60;
    int looked = 0, opaqueCompared = 0, lastSkyGlow = 0, glowAt28 = -1;
    runShow(
        first, last, [&](int step) { return (step - first) % 60 == 0; },
        [&](float time, const Frame& f) {
            looked++;
            const std::vector<bool> credits = creditFootprint(time);
            int skyGlow = 0, badOpaque = 0, skyCompared = 0, skyDarker = 0, highestGlow = f.height;
            std::string firstBad;
            for (int y = 0; y < f.height; y++)
                for (int x = 0; x < f.width; x++) {
                    if (credits[size_t(y) * f.width + x])
                        continue;
                    double texel[4];
                    samplePicture(*crowd, pictureS(f, x), pictureT(f, y), texel);
                    const unsigned char* got = f.at(x, y);
                    if (texel[3] == 255.0) {
                        // The crowd hides whatever was drawn before it: exactly the picture.
                        opaqueCompared++;
                        if (colourDistance(got, texel) > 3.0 && badOpaque++ == 0)
                            firstBad = std::to_string(x) + ", " + std::to_string(y);
                    } else if (texel[3] == 0.0) {
                        // Open sky: the background, plus whatever sparks added.
                        skyCompared++;
                        if (got[2] + 1 < backgroundBlue)
                            skyDarker++;
                        if (got[0] > 24) {
                            skyGlow++;
                            highestGlow = std::min(highestGlow, y);
                        }
                    }
                }
            EXPECT_EQ(badOpaque, 0) << "at " << time << " s a spark shows over the crowd at " << firstBad;
            EXPECT_GT(skyCompared, 50000);
            EXPECT_EQ(skyDarker, 0) << "sparks only ever add to the sky";
            if (time == 25.0f) {
                EXPECT_EQ(skyGlow, 0) << "all sparks are dormant in the scene's first frame";
            }
            // Born at y = 550 and rising at most 70 units a second: no spark's sprite (half diagonal
            // 45.3 units) reaches higher than that allows, whatever the pull towards the sway line does.
            const double rise = 70.0 * (time - 25.0);
            EXPECT_GE((highestGlow + 1) * 768.0 / 480.0, 550.0 - rise - 45.3 - 2.0) << "at " << time << " s";
            lastSkyGlow = skyGlow;
            if (time == 28.0f)
                glowAt28 = skyGlow;
            if (HasFailure())
                keepFrame(f, "fire-" + std::to_string(int(time * 100)));
        });
    EXPECT_EQ(looked, 7);
    EXPECT_GT(opaqueCompared, 7 * 100000);
    // More than half a sprite's area (40 x 40 window pixels) of glow, and more than at 28 s.
    EXPECT_GT(lastSkyGlow, 800) << "sparks glow in the open sky 6 s into the scene";
    EXPECT_GT(lastSkyGlow, glowAt28);
}
