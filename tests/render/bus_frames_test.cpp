// The bus scene on screen, run from its start at 50 s: the bus grows from half to full size about its
// centre over the backdrop with every resting figure hidden behind it, then figure 0 walks out left of
// the bus and off the window's left edge.
#include "tests/render/scene_frames.h"

namespace {

constexpr double canvasPerPixel = 1024.0 / 640.0; // the same both ways on a 640 x 480 window

// The backdrop with the bus laid over it at this zoom about the canvas point (512, 400).
void backdropAndBus(const Image& back, const Image& bus, double zoom, const Frame& f, int x, int y,
                    double want[3]) {
    double b[4];
    samplePicture(back, pictureS(f, x), pictureT(f, y), b);
    const double X = (x + 0.5) * canvasPerPixel, Y = (y + 0.5) * canvasPerPixel;
    const double s = (X - (512.0 - 256.0 * zoom)) / (512.0 * zoom),
                 t = (Y - (400.0 - 256.0 * zoom)) / (512.0 * zoom);
    double a = 0.0, v[4] = {0, 0, 0, 0};
    if (s >= 0.0 && s < 1.0 && t >= 0.0 && t < 1.0) {
        samplePicture(bus, s, t, v);
        a = v[3] / 255.0;
    }
    for (int c = 0; c < 3; c++)
        want[c] = v[c] * a + b[c] * (1.0 - a);
}

// The leftmost column of the bus picture that holds anything visible.
int busLeftColumn(const Image& bus) {
    for (uint32_t x = 0; x < bus.width; x++)
        for (uint32_t y = 0; y < bus.height; y++)
            if (bus.pixels[(size_t(y) * bus.width + x) * 4 + 3] > 0)
                return int(x);
    return int(bus.width);
}

} // namespace

TEST_F(ShowFrames, BusGrowsInThenFigureZeroWalksOffToTheLeft) {
    const Picture back = decodedPicture("data/Back.png"), bus = decodedPicture("data/Bus.png");
    ASSERT_TRUE(back && bus);
    // At full size the bus covers canvas x from 256 on; left of its visible part only figures can differ
    // from the backdrop.
    const double busLeft = (256.0 + busLeftColumn(*bus)) / canvasPerPixel;
    ASSERT_GT(busLeft, 100.0);

    // Up to 58.75 s: figure 1, which starts at 58 s, comes out from behind the bus soon after.
    const int start = 50 * 60, end = 58 * 60 + 45;
    float firstSeen = -1, lastSeen = -1;
    int looked = 0;
    runShow(
        start, end,
        [&](int step) {
            return step == start || step == start + 150 || (step >= 55 * 60 && (step - start) % 15 == 0);
        },
        [&](float time, const Frame& f) {
            looked++;
            const double t = time - 50.0;
            const std::vector<bool> credits = creditFootprint(time);
            if (t <= 5.0) {
                // The whole frame is backdrop and bus: no figure shows anywhere, and the bus has the size
                // its zoom gives.
                const double zoom = t / 10.0 + 0.5;
                int compared = 0, bad = 0;
                double worst = 0;
                for (int y = 0; y < f.height; y++)
                    for (int x = 0; x < f.width; x++) {
                        if (credits[size_t(y) * f.width + x])
                            continue;
                        double want[3];
                        backdropAndBus(*back, *bus, zoom, f, x, y, want);
                        const double d = colourDistance(f.at(x, y), want);
                        worst = std::fmax(worst, d);
                        compared++;
                        bad += d > 4.0;
                    }
                EXPECT_GT(compared, 150000);
                EXPECT_LE(bad, compared / 2000) << "at scene time " << t << ", worst difference " << worst;
            }
            // Pixels left of the full-size bus that are not the backdrop belong to a figure.
            int figure = 0, minX = f.width, maxX = -1;
            for (int y = 0; y < f.height; y++)
                for (int x = 0; x + 2 < busLeft; x++) {
                    if (credits[size_t(y) * f.width + x])
                        continue;
                    double want[4];
                    samplePicture(*back, pictureS(f, x), pictureT(f, y), want);
                    if (colourDistance(f.at(x, y), want) > 24.0) {
                        figure++;
                        minX = std::min(minX, x);
                        maxX = std::max(maxX, x);
                    }
                }
            if (figure > 40) {
                if (firstSeen < 0)
                    firstSeen = time;
                lastSeen = time;
            }
            if (t <= 5.0) {
                EXPECT_EQ(figure, 0) << "no figure before the first one starts, at scene time " << t;
            }
            // Wholly out from behind the bus and not yet at the edge: centred where 150 units a second
            // have taken it.
            if (t == 7.0f || t == 7.5f) {
                const double centre = (512.0 - 50.0 - 150.0 * (t - 5.0)) / canvasPerPixel;
                EXPECT_GT(figure, 500) << "figure 0 visible at scene time " << t;
                EXPECT_NEAR((minX + maxX + 1) / 2.0, centre, 15.0) << "at scene time " << t;
            }
            if (HasFailure())
                keepFrame(f, "bus-" + std::to_string(int(time * 100)));
        });
    EXPECT_EQ(looked, 2 + 16);
    // Its quad's left edge (41.6 units left of its centre) passes the bus's left edge about 0.8 s after
    // its start, and its right edge the window's left edge about 3.36 s after it: the figure's own
    // outline, narrower than its quad, shows a little later and is gone a little sooner.
    EXPECT_GE(firstSeen, 55.75f);
    EXPECT_LE(firstSeen, 56.5f);
    EXPECT_GE(lastSeen, 57.75f);
    EXPECT_LE(lastSeen, 58.25f);
}
