// OIA meshes drawn offscreen: the red and plain slots, normals as lines, and state left untouched.
#include "offscreen/offscreen.h"
#include "util/oia.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

constexpr int size = 128;

// Normalised device coordinates of a pixel's centre (column x, row y counted from the top).
static float ndcX(float x) {
    return (x + 0.5f) / size * 2 - 1;
}
static float ndcY(float y) {
    return 1 - (y + 0.5f) / size * 2;
}

class OiaRender : public testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string reason;
        ASSERT_TRUE(openOffscreen(size, size, &reason)) << reason;
    }
    // The context is left open until the process ends: closing it unloads Mesa's driver, and the few
    // bytes the driver keeps after drawing would then show as leaks from an unknown module.

    fs::path dir;
    std::vector<unsigned char> frame = std::vector<unsigned char>(size * size * 4);

    void SetUp() override {
        char pattern[] = "/tmp/oia_render.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        redMesh = plainMesh = nullptr;
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    void TearDown() override {
        fs::remove_all(dir);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }

    Mesh* mesh(unsigned char mode, const std::vector<float>& floats, int stride) {
        int count = int(floats.size() * 4 / stride);
        unsigned char head[10] = {
            'F', 'o', 'I', 'A', 0, 0, 0, mode, (unsigned char)(count >> 8), (unsigned char)count};
        std::string path = (dir / ("m" + std::to_string(mode) + ".oia")).string();
        FILE* file = fopen(path.c_str(), "wb");
        fwrite(head, 1, 10, file);
        if (!floats.empty())
            fwrite(floats.data(), 4, floats.size(), file);
        fclose(file);
        return readOia(path.c_str());
    }
    static void release(Mesh* m) {
        free(m->vertices);
        free(m);
    }
    const unsigned char* pixel(int x, int y) { return &frame[(size_t(y) * size + x) * 4]; }
    void expectPixel(int x, int y, int r, int g, int b) {
        const unsigned char* p = pixel(x, y);
        EXPECT_NEAR(p[0], r, 1) << "at " << x << "," << y;
        EXPECT_NEAR(p[1], g, 1) << "at " << x << "," << y;
        EXPECT_NEAR(p[2], b, 1) << "at " << x << "," << y;
    }
    void expectBlackFrame() {
        readOffscreenPixels(frame.data());
        for (int i = 0; i < size * size; ++i)
            ASSERT_EQ(frame[i * 4] | frame[i * 4 + 1] | frame[i * 4 + 2], 0) << "pixel " << i;
    }
};

TEST_F(OiaRender, SlotsDrawRedAndInTheCurrentColour) {
    // Two mode-6 triangles: lower left and upper right; the middle of the frame stays empty.
    Mesh* triangles = mesh(6, {0, 0, 1, -0.8f, -0.8f, 0, 0, 0, 1, 0.0f, -0.8f, 0, 0, 0, 1, -0.8f, 0.0f, 0,
                               0, 0, 1, 0.2f,  0.2f,  0, 0, 0, 1, 0.8f, 0.2f,  0, 0, 0, 1, 0.2f,  0.8f, 0},
                           24);
    ASSERT_NE(triangles, nullptr);
    auto expectTriangles = [&](int r, int g, int b) {
        readOffscreenPixels(frame.data());
        expectPixel(25, 102, r, g, b); // (-0.6, -0.6)
        expectPixel(83, 44, r, g, b);  // (0.3, 0.3)
        expectPixel(64, 64, 0, 0, 0);
        expectPixel(44, 83, 0, 0, 0); // just beyond the lower triangle's long edge
        expectPixel(115, 13, 0, 0, 0);
    };

    drawRedMesh(); // empty slot: nothing drawn
    expectBlackFrame();

    redMesh = triangles;
    glColor4f(0, 0, 1, 1);
    drawRedMesh();
    expectTriangles(255, 0, 0);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(std::vector<float>(colour, colour + 4), (std::vector<float>{1, 0, 0, 1}));
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY) && glIsEnabled(GL_NORMAL_ARRAY));

    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(0, 1, 0, 1);
    drawPlainMesh(); // empty slot
    expectBlackFrame();
    plainMesh = triangles;
    drawPlainMesh();
    expectTriangles(0, 255, 0);

    redMesh = plainMesh = nullptr;
    release(triangles);
}

TEST_F(OiaRender, EmptyMeshDrawsNothing) {
    plainMesh = mesh(6, {}, 24);
    ASSERT_NE(plainMesh, nullptr);
    glColor4f(1, 1, 1, 1);
    drawPlainMesh();
    expectBlackFrame();
    release(plainMesh);
    plainMesh = nullptr;
}

TEST_F(OiaRender, NormalsAreLinesOfTheirStoredLength) {
    // One normal 80 pixels long to the right from (20, 40), one 40 pixels down from (30, 60).
    float right = 80 * 2.0f / size, down = -40 * 2.0f / size;
    Mesh* m = mesh(6, {right, 0, 0, ndcX(20), ndcY(40), 0, 0, down, 0, ndcX(30), ndcY(60), 0}, 24);
    ASSERT_NE(m, nullptr);

    // Texturing with a blue texture, lighting and a blue colour would all change the line if left on.
    GLuint texture;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const unsigned char blue[4] = {0, 0, 255, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, blue);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glColor4f(0, 0, 1, 1);

    drawNormals(m);
    readOffscreenPixels(frame.data());
    for (int x = 22; x <= 97; ++x)
        expectPixel(x, 40, 179, 77, 77);
    for (int x : {0, 17, 103, 110, 127})
        expectPixel(x, 40, 0, 0, 0);
    for (int y = 62; y <= 97; ++y)
        expectPixel(30, y, 179, 77, 77);
    for (int y : {56, 103, 110, 127})
        expectPixel(30, y, 0, 0, 0);

    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(std::vector<float>(colour, colour + 4), (std::vector<float>{0, 0, 1, 1}));
    GLint depth = -1;
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 0);

    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDeleteTextures(1, &texture);
    release(m);
}

static std::vector<float> stateSnapshot() {
    std::vector<float> state;
    GLfloat values[4];
    for (GLenum name : {GL_CURRENT_COLOR, GL_CURRENT_NORMAL, GL_CURRENT_TEXTURE_COORDS, GL_LINE_WIDTH,
                        GL_ATTRIB_STACK_DEPTH, GL_MATRIX_MODE, GL_SHADE_MODEL}) {
        memset(values, 0, sizeof values);
        glGetFloatv(name, values);
        state.insert(state.end(), values, values + 4);
    }
    for (GLenum cap : {GL_TEXTURE_2D, GL_LIGHTING, GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_VERTEX_ARRAY,
                       GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY})
        state.push_back(glIsEnabled(cap));
    return state;
}

TEST_F(OiaRender, NormalsOfOtherFormatsChangeNothing) {
    // Drawn by mistake, these would show as lines whether read at their own offsets or at those of N3F_V3F.
    Mesh* textured =
        mesh(14, {0.5f, 0, 0, -0.5f, 0, -0.5f, 0.2f, 0, 0.3f, 0.3f, 0.4f, 0, 0, 0.1f, -0.6f, 0}, 32);
    Mesh* bare = mesh(2, {-0.5f, 0, 0, 0.5f, 0, 0, 0, 0.5f, 0}, 12);
    ASSERT_NE(textured, nullptr);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(textured->format, GLenum(GL_T2F_N3F_V3F));

    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glNormal3f(0, 1, 0);
    glTexCoord2f(0.25f, 0.75f);
    glLineWidth(3);
    glShadeModel(GL_FLAT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_BLEND);
    std::vector<float> before = stateSnapshot();

    drawNormals(textured);
    drawNormals(bare);
    EXPECT_EQ(stateSnapshot(), before);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glLineWidth(1);
    glShadeModel(GL_SMOOTH);
    expectBlackFrame();

    release(textured);
    release(bare);
}
