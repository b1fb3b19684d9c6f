// Drawing OIA meshes: the two slots' triangles, red or in the caller's colour, and the normals as unlit
// lines from each vertex, with the GL state given back.
#include "show/frame.h"
#include "tests/support.h"
#include "util/oia.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

// A triangle facing the viewer in the view's -1 to 1 cube: normal, then position, for each vertex.
float triangle[18] = {0, 0, 1, -0.5f, -0.5f, 0, 0, 1, 0, 0.5f, -0.5f, 0, 1, 0, 0, 0, 0.5f, 0};
const float red[4] = {1, 0, 0, 1}, blue[4] = {0.25f, 0.5f, 0.75f, 1}, normal[4] = {0.7f, 0.3f, 0.3f, 0.8f};

// Vertex v lies at point p of the cube (the view covers the window) in the given colour.
void expectVertex(const FeedbackVertex& v, const float* p, const float* color) {
    EXPECT_TRUE(std::fabs(v.x - (p[0] + 1) * 320) < 1e-3 && std::fabs(v.y - (p[1] + 1) * 240) < 1e-3 &&
                std::fabs(v.z - (p[2] + 1) / 2) < 1e-6 && std::fabs(v.color[0] - color[0]) < 1e-6 &&
                std::fabs(v.color[1] - color[1]) < 1e-6 && std::fabs(v.color[2] - color[2]) < 1e-6 &&
                std::fabs(v.color[3] - color[3]) < 1e-6)
        << v.x << ", " << v.y << ", " << v.z << " in " << v.color[0] << ", " << v.color[1] << ", "
        << v.color[2] << ", " << v.color[3];
}

} // namespace

TEST(Meshes, SlotsDrawRedOrInTheCallersColourAndNormalsAreUnlitLinesLastVertexFirst) {
    ASSERT_TRUE(openShowHarness());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    redMesh = plainMesh = nullptr;
    EXPECT_TRUE(captureTriangles(drawRedMesh).empty() && captureTriangles(drawPlainMesh).empty());
    float bare[9] = {-0.5f, -0.5f, 0, 0.5f, -0.5f, 0, 0, 0.5f, 0};
    Mesh withNormals{GL_N3F_V3F, 24, GL_TRIANGLES, 3, reinterpret_cast<unsigned char*>(triangle)};
    Mesh positions{GL_V3F, 12, GL_TRIANGLES, 3, reinterpret_cast<unsigned char*>(bare)};
    for (Mesh* mesh : {&withNormals, &positions}) {
        redMesh = plainMesh = mesh;
        glColor4fv(blue);
        const auto plain = captureTriangles(drawPlainMesh), redOnes = captureTriangles(drawRedMesh);
        ASSERT_TRUE(plain.size() == 3 && redOnes.size() == 3) << "stride " << mesh->stride;
        for (int i = 0; i < 3; i++)
            expectVertex(plain[size_t(i)], &triangle[6 * i + 3], blue),
                expectVertex(redOnes[size_t(i)], &triangle[6 * i + 3], red);
    }
    redMesh = plainMesh = nullptr;

    setLight(); // lit and in a colour of its own, as a frame leaves it
    glColor4fv(blue);
    const auto lines = captureLines([&] { drawNormals(&withNormals); });
    ASSERT_EQ(lines.size(), 6u);
    for (int i = 0; i < 3; i++) {
        const float* v = &triangle[6 * (2 - i)];
        const float tip[3] = {v[3] + v[0], v[4] + v[1], v[5] + v[2]};
        expectVertex(lines[size_t(2 * i)], v + 3, normal),
            expectVertex(lines[size_t(2 * i + 1)], tip, normal);
    }
    float color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_TEXTURE_2D) && color[0] == blue[0]);
    EXPECT_TRUE(captureLines([&] { drawNormals(&positions); }).empty() &&
                captureLines([] { drawNormals(nullptr); }).empty())
        << "nothing to show without normals";
}
