// The snowfall on screen, run from the show's start: nothing but the duct before 2 s, then flakes that
// leave the duct's mouth and drift right and down.
#include "tests/render/scene_frames.h"

namespace {

// Where the flakes are born, in window pixels of the 640 x 480 view: canvas (390 to 400, 220).
constexpr double mouthX = 395.0 * 640.0 / 1024.0;
constexpr double mouthY = 220.0 * 480.0 / 768.0;

struct Changes {
    int count = 0;
    double sumX = 0, sumY = 0;
    int minX = 1 << 20, maxX = -1, minY = 1 << 20, maxY = -1;
    double worst = 0;
    void add(int x, int y) {
        count++;
        sumX += x + 0.5;
        sumY += y + 0.5;
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
};

// Pixels outside the credits where the frame is not the HeatTube picture stretched over the window.
Changes changesOverPicture(const Frame& f, const Image& picture, const std::vector<bool>& credits,
                           double threshold) {
    Changes c;
    for (int y = 0; y < f.height; y++)
        for (int x = 0; x < f.width; x++) {
            if (credits[size_t(y) * f.width + x])
                continue;
            double want[4];
            samplePicture(picture, pictureS(f, x), pictureT(f, y), want);
            const double d = colourDistance(f.at(x, y), want);
            c.worst = std::fmax(c.worst, d);
            if (d > threshold)
                c.add(x, y);
        }
    return c;
}

} // namespace

TEST_F(ShowFrames, FlakesLeaveTheDuctsMouthAfterTwoSecondsAndDriftRightAndDown) {
    const Picture duct = decodedPicture("data/HeatTube.png");
    ASSERT_TRUE(duct);
    const int looks[] = {60, 119, 150, 480};
    Changes early, late;
    int looked = 0;
    runShow(
        0, 480,
        [&](int step) { return std::find(std::begin(looks), std::end(looks), step) != std::end(looks); },
        [&](float time, const Frame& f) {
            looked++;
            const Changes c = changesOverPicture(f, *duct, creditFootprint(time), 12.0);
            if (time < 2.0f) {
                EXPECT_EQ(c.count, 0)
                    << "no flake before 2 s; at " << time << " s worst difference " << c.worst;
                EXPECT_LE(c.worst, 3.0);
            } else if (time < 3.0f) {
                early = c;
            } else {
                late = c;
            }
            if (HasFailure())
                keepFrame(f, "snow-" + std::to_string(int(time * 100)));
        });
    EXPECT_EQ(looked, 4);

    // Half a second after the start every flake is at most half a second old: within 45 units (the
    // sprite's half diagonal) of where half a second of drift can take it from the spawn area.
    ASSERT_GT(early.count, 100) << "flakes at the mouth at 2.5 s";
    const double k = 640.0 / 1024.0; // canvas units to window pixels, both ways alike
    EXPECT_GE(early.minX, (390 - 5 - 46) * k);
    EXPECT_LE(early.maxX, (400 + 45 + 46) * k);
    EXPECT_GE(early.minY, (220 - 5 - 46) * k);
    EXPECT_LE(early.maxY, (220 + 20 + 46) * k);

    // Six seconds in, the flakes have spread out along their velocities (x from -10 to 90, y from -10
    // to 40 units a second), so their mass lies right of and below the mouth and reaches far from it.
    ASSERT_GT(late.count, early.count);
    const double lateX = late.sumX / late.count, lateY = late.sumY / late.count;
    const double earlyX = early.sumX / early.count, earlyY = early.sumY / early.count;
    EXPECT_GT(lateX, mouthX + 20) << "centre of the changed pixels at 8 s";
    EXPECT_GT(lateY, mouthY + 5);
    EXPECT_GT(lateX, earlyX);
    EXPECT_GT(lateY, earlyY);
    EXPECT_GT(late.maxX, mouthX + 150 * k) << "the fastest flakes are far to the right";
    EXPECT_GE(late.minX, (390 - 10 * 6 - 46) * k) << "no flake drifts left faster than 10 a second";
    EXPECT_GE(late.minY, (220 - 10 * 6 - 46) * k);
}
