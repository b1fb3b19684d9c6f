// The timeline's full-screen pictures on screen: the opening and closing pictures fill the window,
// the campfire's sky shows the background while its crowd is opaque, and a picture whose texture
// failed to load is a plain white quad. Expected pixels come from the decoded pictures.
// A texture the GL refuses is reported and kept by no name.
#define GL_GLEXT_PROTOTYPES
#include "show/particles.h"
#include "show/textures.h"
#include "tests/render/harness.h"
#include "util/png.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

namespace {

// GL_LINEAR on llvmpipe weighs texels with 8-bit fractions: up to about one level off at sharp edges.
constexpr double tolerance = 2.0;
// The clear colour (0, 0, 0.05) as an 8-bit frame stores it.
constexpr double backgroundBlue = 0.05 * 255.0;

using Picture = std::unique_ptr<Image, void (*)(Image*)>;

Picture decoded(const char* name) {
    return Picture(decodePng(name), freeImage);
}

class Timeline : public ::testing::Test {
protected:
    void SetUp() override {
        std::string reason;
        ASSERT_TRUE(openShowHarness(&reason)) << reason;
        // Every test starts from the pools as start-up leaves them: flakes and sparks invisible.
        initParticlePools();
    }
};

struct Tally {
    size_t compared = 0;
    size_t bad = 0;
    double worst = 0.0;
    std::string firstBad;
};

// Compares each pixel outside the credits with what `expect` gives for it; `expect` returns false
// for pixels it has nothing to say about.
Tally compare(const Frame& frame, const std::vector<bool>& credits,
              const std::function<bool(int, int, double*)>& expect) {
    Tally t;
    for (int y = 0; y < frame.height; y++) {
        for (int x = 0; x < frame.width; x++) {
            double want[3];
            if (credits[size_t(y) * frame.width + x] || !expect(x, y, want))
                continue;
            t.compared++;
            const unsigned char* got = frame.at(x, y);
            double diff = 0.0;
            for (int c = 0; c < 3; c++)
                diff = std::fmax(diff, std::fabs(got[c] - want[c]));
            t.worst = std::fmax(t.worst, diff);
            if (diff > tolerance && t.bad++ == 0)
                t.firstBad = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " +
                             std::to_string(got[0]) + " " + std::to_string(got[1]) + " " +
                             std::to_string(got[2]) + ", expected " + std::to_string(want[0]) + " " +
                             std::to_string(want[1]) + " " + std::to_string(want[2]);
        }
    }
    return t;
}

// The picture stretched over the whole window, composited over the background colour.
std::function<bool(int, int, double*)> pictureOverBackground(const Frame& f, const Image& picture) {
    return [&f, &picture](int x, int y, double* want) {
        double texel[4];
        samplePicture(picture, pictureS(f, x), pictureT(f, y), texel);
        double a = texel[3] / 255.0;
        want[0] = texel[0] * a;
        want[1] = texel[1] * a;
        want[2] = texel[2] * a + backgroundBlue * (1.0 - a);
        return true;
    };
}

void expectPictureFillsWindow(float time, const char* name) {
    SCOPED_TRACE(std::string(name) + " at t = " + std::to_string(time));
    Picture picture = decoded(name);
    ASSERT_TRUE(picture);
    std::vector<bool> credits = creditFootprint(time);
    Frame frame = drawShowFrame(time, 0.0f);
    Tally t = compare(frame, credits, pictureOverBackground(frame, *picture));
    // Most of the frame is picture, not overlay.
    EXPECT_GT(t.compared, size_t(frame.width) * frame.height / 2);
    EXPECT_EQ(t.bad, 0u) << "first: " << t.firstBad;
    ::testing::Test::RecordProperty("worst_difference_" + std::to_string(int(time)), std::to_string(t.worst));
}

TEST_F(Timeline, OpeningPictureFillsTheWindowStretched) {
    // Both ends of the opening window; the snow drawn there is still invisible.
    expectPictureFillsWindow(0.0f, "data/HeatTube.png");
    expectPictureFillsWindow(1.99f, "data/HeatTube.png");
}

TEST_F(Timeline, ClosingPictureFillsTheWindowFromEightyTwoOn) {
    expectPictureFillsWindow(82.0f, "data/TheEnd.png");
    expectPictureFillsWindow(85.0f, "data/TheEnd.png");
    expectPictureFillsWindow(1000.0f, "data/TheEnd.png");
}

TEST_F(Timeline, CampfireSkyShowsBackgroundAndCrowdIsOpaque) {
    Picture camp = decoded("data/LagerFeuer.png");
    ASSERT_TRUE(camp);
    const float time = 30.0f;
    std::vector<bool> credits = creditFootprint(time);
    Frame frame = drawShowFrame(time, 0.0f);

    // Where the picture is fully clear the frame is the background; where it is fully opaque it is
    // the crowd; the ragged band between is the two blended.
    auto alphaAt = [&](int x, int y) {
        double texel[4];
        samplePicture(*camp, pictureS(frame, x), pictureT(frame, y), texel);
        return texel[3];
    };
    Tally sky = compare(frame, credits, [&](int x, int y, double* want) {
        want[0] = want[1] = 0.0;
        want[2] = backgroundBlue;
        return alphaAt(x, y) == 0.0;
    });
    Tally crowd = compare(frame, credits, [&](int x, int y, double* want) {
        return alphaAt(x, y) == 255.0 && pictureOverBackground(frame, *camp)(x, y, want);
    });
    Tally all = compare(frame, credits, pictureOverBackground(frame, *camp));

    // The sky is the upper 217 of 512 rows, the solid crowd the lower 208.
    EXPECT_GT(sky.compared, size_t(640 * 150));
    EXPECT_GT(crowd.compared, size_t(640 * 150));
    EXPECT_EQ(sky.bad, 0u) << "first: " << sky.firstBad;
    EXPECT_EQ(crowd.bad, 0u) << "first: " << crowd.firstBad;
    EXPECT_EQ(all.bad, 0u) << "first: " << all.firstBad;
}

TEST_F(Timeline, PictureWhoseTextureFailedIsAPlainWhiteQuad) {
    struct Case {
        GLuint* texture;
        float time;
    };
    for (Case c : {Case{&texHeatTube, 0.0f}, Case{&texLagerFeuer, 30.0f}, Case{&texTheEnd, 85.0f}}) {
        SCOPED_TRACE("t = " + std::to_string(c.time));
        GLuint loaded = *c.texture;
        ASSERT_NE(loaded, 0u);
        *c.texture = 0;
        std::vector<bool> credits = creditFootprint(c.time);
        Frame frame = drawShowFrame(c.time, 0.0f);
        *c.texture = loaded;
        Tally t = compare(frame, credits, [](int, int, double* want) {
            want[0] = want[1] = want[2] = 255.0;
            return true;
        });
        EXPECT_GT(t.compared, size_t(frame.width) * frame.height / 2);
        EXPECT_EQ(t.worst, 0.0) << "first: " << t.firstBad;
    }
}

TEST_F(Timeline, TextureTheGlRefusesIsReportedAndNoNameKept) {
    // A bound pixel-unpack buffer far smaller than the picture makes the upload an invalid operation.
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, buffer);
    glBufferData(GL_PIXEL_UNPACK_BUFFER, 16, nullptr, GL_STATIC_DRAW);
    GLuint name = 0;
    testing::internal::CaptureStdout();
    loadTexture(&name, "data/Fire.png");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "util: ERROR loading data/Fire.png\n");
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    glDeleteBuffers(1, &buffer);
    EXPECT_EQ(name, 0u);
    EXPECT_EQ(bound, 0) << "the refused texture's name was not deleted";

    // An error some earlier call left behind does not fail the next picture.
    glEnable(GL_TEXTURE_BINDING_2D);
    loadTexture(&name, "data/Fire.png");
    EXPECT_NE(name, 0u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glDeleteTextures(1, &name);
}

} // namespace
