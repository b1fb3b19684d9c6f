// The campfire on screen, run through the whole scene at 60 steps a second: sparks never show over the
// picture's opaque lower part; from a few seconds in, their column stands in the sky above the crowd,
// reaches high, and leans with the sway line.
#include "tests/render/scene_frames.h"

namespace {

// The frame's clear colour (0, 0, 0.05) as 8 bits.
constexpr double backgroundBlue = 0.05 * 255.0;
// The crowd's ragged band begins at row 217 of the picture's 512.
constexpr double bandTop = 217.0 / 512.0;

} // namespace

TEST_F(ShowFrames, SparksStandAsASwayingColumnInTheSkyAndNeverShowOverTheCrowd) {
    const Picture crowd = decodedPicture("data/LagerFeuer.png");
    ASSERT_TRUE(crowd);
    const int first = 25 * 60, last = 49 * 60;
    int looked = 0, opaqueCompared = 0, reachedUpperThird = 0;
    runShow(
        first, last, [&](int step) { return (step - first) % 60 == 0; },
        [&](float time, const Frame& f) {
            looked++;
            const std::vector<bool> credits = creditFootprint(time);
            int skyGlow = 0, badOpaque = 0, skyCompared = 0, skyDarker = 0, highestGlow = f.height;
            double glowX = 0.0, glowWeight = 0.0;
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
                        if (got[0] > 24 && pictureT(f, y) < bandTop) {
                            skyGlow++;
                            highestGlow = std::min(highestGlow, y);
                            glowX += (x + 0.5) * got[0];
                            glowWeight += got[0];
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
            if (time >= 31.0f) {
                // Lit sparks glow for their whole life: the column stands above the crowd all the time,
                // many sprites' worth. Pulled fully onto the sway line only at the top edge, it leans from
                // the fire's middle (x = 500) part of the way towards the line.
                EXPECT_GT(skyGlow, 1000) << "at " << time << " s";
                reachedUpperThird += highestGlow < f.height / 3;
                const double centre = glowX / glowWeight * 1024.0 / f.width;
                const double sway = 500.0 + 200.0 * std::sin(time / 4.0);
                if (std::fabs(sway - 500.0) > 60.0) {
                    const double lean = (centre - 500.0) / (sway - 500.0);
                    EXPECT_GT(lean, 0.3) << "at " << time << " s";
                    EXPECT_LT(lean, 1.0) << "at " << time << " s";
                }
            }
            if (HasFailure())
                keepFrame(f, "fire-" + std::to_string(int(time * 100)));
        });
    EXPECT_EQ(looked, 25);
    EXPECT_GT(opaqueCompared, 25 * 100000);
    EXPECT_GE(reachedUpperThird, 15) << "of 19 seconds";
}
