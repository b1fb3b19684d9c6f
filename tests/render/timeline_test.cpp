// The timeline: which window each songTime falls in, the full-screen pictures stretched over the window,
// a picture whose texture failed drawn as a plain white quad, and a texture the GL refuses reported.
#define GL_GLEXT_PROTOTYPES
#include "show/clock.h"
#include "show/credits.h"
#include "show/particles.h"
#include "show/textures.h"
#include "show/timeline.h"
#include "tests/support.h"
#include "util/png.h"

#include <GL/gl.h>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <tuple>

namespace {

class Timeline : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(openShowHarness()); }
};

// The picture as GL_LINEAR with the default repeat samples it at the centre of window pixel (x, y) of a
// full-window quad, composited over the clear colour.
void pictureAt(const Image& p, int x, int y, double rgb[3]) {
    const double u = (x + 0.5) / 640.0 * p.width - 0.5, v = (y + 0.5) / 480.0 * p.height - 0.5;
    const int x0 = int(std::floor(u)), y0 = int(std::floor(v));
    const double fx = u - x0, fy = v - y0;
    double texel[4] = {};
    for (int j = 0; j < 2; j++)
        for (int i = 0; i < 2; i++) {
            const unsigned char* t =
                p.pixels +
                (size_t((y0 + j + p.height) % p.height) * p.width + size_t((x0 + i + p.width) % p.width)) * 4;
            for (int c = 0; c < 4; c++)
                texel[c] += t[c] * (i ? fx : 1 - fx) * (j ? fy : 1 - fy);
        }
    const double a = texel[3] / 255.0;
    rgb[0] = texel[0] * a;
    rgb[1] = texel[1] * a;
    rgb[2] = texel[2] * a + 0.05 * 255.0 * (1.0 - a);
}

// The pixels of a frame at songTime that differ from what `expected` says by more than the rounding of
// GL_LINEAR's 8-bit weights, outside what the credits alone draw over black and over white.
int wrongPixels(float time, const std::function<void(int, int, double*)>& expected) {
    songTime = time;
    bool credits[480][640] = {};
    for (float level : {0.0f, 1.0f}) {
        glClearColor(level, level, level, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        drawCredits();
        const Frame f = readFrame();
        for (int y = 0; y < 480; y++)
            for (int x = 0; x < 640; x++)
                credits[y][x] |= f.at(x, y)[0] != level * 255 || f.at(x, y)[2] != level * 255;
    }
    const Frame f = drawShowFrame(time, 0.0f);
    int wrong = 0;
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++) {
            double want[3];
            expected(x, y, want);
            for (int c = 0; c < 3; c++)
                wrong += !credits[y][x] && std::fabs(f.at(x, y)[c] - want[c]) > 2.0;
        }
    return wrong;
}

} // namespace

TEST_F(Timeline, EachTimeFallsInItsWindow) {
    // Quads drawn before the credits, which end every frame: picture and 100 flakes, 500 sparks and a
    // picture, the bus scene's 10, the closing picture. The opening window alone leaves the flakes alone.
    const struct {
        float time;
        size_t quads;
        bool flakesMove;
    } cases[] = {{0.0f, 101, false},  {1.99f, 101, false},  {2.0f, 101, true},  {24.99f, 101, true},
                 {25.0f, 501, false}, {49.99f, 501, false}, {50.0f, 10, false}, {81.99f, 10, false},
                 {82.0f, 1, false},   {1000.0f, 1, false}};
    for (const auto& c : cases) {
        openShowHarness();
        songTime = c.time;
        frameDelta = 0.5f;
        const auto credits = captureTriangles(drawCredits);
        const float flake = snowPool[3].position[0] + snowPool[3].life;
        const auto frame = captureTriangles(drawShow);
        ASSERT_EQ((frame.size() - credits.size()) / 6, c.quads) << "at " << c.time << " s";
        EXPECT_EQ(std::memcmp(&frame[frame.size() - credits.size()], credits.data(),
                              credits.size() * sizeof(FeedbackVertex)),
                  0)
            << "the frame at " << c.time << " s does not end with the credits";
        EXPECT_EQ(snowPool[3].position[0] + snowPool[3].life != flake, c.flakesMove)
            << "at " << c.time << " s";
    }
}

TEST_F(Timeline, PicturesFillTheWindowStretchedOrAsAPlainWhiteQuadWhenTheirTextureFailed) {
    for (const auto& [name, texture, time] : {std::tuple{"data/HeatTube.png", &texHeatTube, 0.0f},
                                              {"data/LagerFeuer.png", &texLagerFeuer, 25.0f},
                                              {"data/TheEnd.png", &texTheEnd, 82.0f},
                                              {"data/TheEnd.png", &texTheEnd, 1000.0f}}) {
        Image* picture = decodePng(name);
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(wrongPixels(time, [&](int x, int y, double* want) { pictureAt(*picture, x, y, want); }), 0)
            << name << " at " << time << " s";
        freeImage(picture);
        const GLuint loaded = *texture;
        *texture = 0;
        EXPECT_EQ(wrongPixels(time, [](int, int, double* want) { want[0] = want[1] = want[2] = 255; }), 0)
            << name << " without its texture at " << time << " s";
        *texture = loaded;
    }
}

TEST_F(Timeline, TextureTheGlRefusesIsReportedAndNoNameKept) {
    // A bound pixel-unpack buffer far smaller than the picture makes the upload an invalid operation.
    GLuint buffer = 0, name = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, buffer);
    glBufferData(GL_PIXEL_UNPACK_BUFFER, 16, nullptr, GL_STATIC_DRAW);
    testing::internal::CaptureStdout();
    loadTexture(&name, "data/Fire.png");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "util: ERROR loading data/Fire.png\n");
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    glDeleteBuffers(1, &buffer);
    EXPECT_TRUE(name == 0 && bound == 0) << "the refused texture's name was kept";
    glEnable(GL_TEXTURE_BINDING_2D); // an error left by earlier code does not fail the next picture
    loadTexture(&name, "data/Fire.png");
    EXPECT_TRUE(name != 0 && glGetError() == GL_NO_ERROR);
    glDeleteTextures(1, &name);
}
