// Drawing OIA meshes: the slots' triangles, red or in the caller's colour, and the normals as unlit lines
// from each vertex, last vertex first, with the GL state given back.
#include "show/frame.h"
#include "tests/support.h"
#include "util/oia.h"

#include <array>
#include <gtest/gtest.h>

namespace {

using Color = std::array<float, 4>;

// Each vertex as a point of the view's -1 to 1 cube (the view covers the window) and its colour.
std::vector<float> seen(const std::vector<FeedbackVertex>& vertices) {
    std::vector<float> out;
    for (const FeedbackVertex& v : vertices)
        out.insert(out.end(), {v.x / 320 - 1, v.y / 240 - 1, v.z * 2 - 1, v.color[0], v.color[1], v.color[2],
                               v.color[3]});
    return out;
}

// The same for points (x, y, z after each other) all in one colour.
std::vector<float> drawn(const std::vector<float>& points, const Color& c) {
    std::vector<float> out;
    for (size_t i = 0; i < points.size(); i += 3)
        out.insert(out.end(), {points[i], points[i + 1], points[i + 2], c[0], c[1], c[2], c[3]});
    return out;
}

} // namespace

TEST(Meshes, SlotsDrawRedOrInTheCallersColourAndNormalsAreUnlitLinesLastVertexFirst) {
    ASSERT_TRUE(openShowHarness());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    // A triangle facing the viewer: its positions, and normal then position for each vertex.
    std::vector<float> corners = {-0.5f, -0.5f, 0, 0.5f, -0.5f, 0, 0, 0.5f, 0};
    std::vector<float> withNormals = {0, 0, 1, -0.5f, -0.5f, 0, 0, 1, 0, 0.5f, -0.5f, 0, 1, 0, 0, 0, 0.5f, 0};
    Mesh meshes[2] = {{GL_N3F_V3F, 24, GL_TRIANGLES, 3, reinterpret_cast<unsigned char*>(withNormals.data())},
                      {GL_V3F, 12, GL_TRIANGLES, 3, reinterpret_cast<unsigned char*>(corners.data())}};
    const Color blue = {0.25f, 0.5f, 0.75f, 1};
    redMesh = plainMesh = nullptr;
    EXPECT_TRUE(captureTriangles(drawRedMesh).empty() && captureTriangles(drawPlainMesh).empty());
    for (Mesh& mesh : meshes) {
        redMesh = plainMesh = &mesh;
        glColor4fv(blue.data());
        EXPECT_EQ(seen(captureTriangles(drawPlainMesh)), drawn(corners, blue)) << "stride " << mesh.stride;
        EXPECT_EQ(seen(captureTriangles(drawRedMesh)), drawn(corners, {1, 0, 0, 1}))
            << "stride " << mesh.stride;
    }
    redMesh = plainMesh = nullptr;

    setLight(); // lit and in a colour of its own, as a frame leaves it
    glColor4fv(blue.data());
    EXPECT_EQ(seen(captureLines([&] { drawNormals(&meshes[0]); })),
              drawn({0, 0.5f, 0, 1, 0.5f, 0, 0.5f, -0.5f, 0, 0.5f, 0.5f, 0, -0.5f, -0.5f, 0, -0.5f, -0.5f, 1},
                    {0.7f, 0.3f, 0.3f, 0.8f}));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_TEXTURE_2D)) << "the state is given back";
    EXPECT_TRUE(captureLines([&] { drawNormals(&meshes[1]); }).empty() &&
                captureLines([] { drawNormals(nullptr); }).empty())
        << "nothing to show without normals";
}
