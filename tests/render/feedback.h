// GL feedback capture: the primitives a piece of drawing code emits, in window coordinates, with colour
// and texture coordinates, without rasterising them. Needs a current GL context.
#pragma once

#include "offscreen/offscreen.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// Opens the process's 640 x 480 offscreen context on the first call; the geometry tests draw into it.
inline void needOffscreenContext() {
    static bool open = false;
    if (!open) {
        std::string reason;
        open = openOffscreen(640, 480, &reason);
        ASSERT_TRUE(open) << reason;
    }
}

struct FeedbackVertex {
    float x, y, z;    // window coordinates, y up from the bottom edge
    float color[4];   // after lighting
    float texture[4]; // s, t, r, q
};

// Mesa hands each quad back as two triangles, (0, 1, 3) and (1, 2, 3) of the quad's four vertices.
struct FeedbackQuad {
    FeedbackVertex v[6];
    float minX() const { return extreme(0, false); }
    float maxX() const { return extreme(0, true); }
    float minY() const { return extreme(1, false); }
    float maxY() const { return extreme(1, true); }
    // Twice the signed area of the first triangle: positive when it runs counter-clockwise on screen.
    float winding() const {
        return (v[1].x - v[0].x) * (v[2].y - v[0].y) - (v[2].x - v[0].x) * (v[1].y - v[0].y);
    }
    // The vertex whose texture coordinate is (s, t), or null.
    const FeedbackVertex* withTexture(float s, float t) const {
        for (const FeedbackVertex& p : v)
            if (p.texture[0] == s && p.texture[1] == t)
                return &p;
        return nullptr;
    }

private:
    float extreme(int axis, bool largest) const {
        float best = axis == 0 ? v[0].x : v[0].y;
        for (const FeedbackVertex& p : v) {
            const float c = axis == 0 ? p.x : p.y;
            best = largest ? (c > best ? c : best) : (c < best ? c : best);
        }
        return best;
    }
};

// Runs draw in feedback mode and returns the raw feedback values, after clipping.
inline std::vector<GLfloat> captureFeedback(const std::function<void()>& draw) {
    static std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint count = glRenderMode(GL_RENDER);
    if (count < 0)
        throw std::runtime_error("feedback buffer overflow");
    return std::vector<GLfloat>(buffer.begin(), buffer.begin() + count);
}

// The vertices of the triangles in a feedback buffer, three per triangle, in the order emitted.
inline std::vector<FeedbackVertex> feedbackTriangles(const std::vector<GLfloat>& buffer) {
    const GLint count = static_cast<GLint>(buffer.size());
    std::vector<FeedbackVertex> vertices;
    for (GLint k = 0; k < count;) {
        const GLint token = static_cast<GLint>(buffer[k++]);
        if (token == GL_PASS_THROUGH_TOKEN) {
            k++;
            continue;
        }
        if (token != GL_POLYGON_TOKEN || static_cast<GLint>(buffer[k]) != 3)
            throw std::runtime_error("unexpected feedback primitive");
        k++;
        for (int n = 0; n < 3; n++, k += 11) {
            FeedbackVertex p;
            p.x = buffer[k];
            p.y = buffer[k + 1];
            p.z = buffer[k + 2];
            for (int c = 0; c < 4; c++) {
                p.color[c] = buffer[k + 3 + c];
                p.texture[c] = buffer[k + 7 + c];
            }
            vertices.push_back(p);
        }
    }
    return vertices;
}

// The triangles that draw produced, paired into quads. Their number must be even: the show draws quads
// only, and none of them may be cut by the edge of the view.
inline std::vector<FeedbackQuad> captureQuads(const std::function<void()>& draw) {
    const std::vector<FeedbackVertex> vertices = feedbackTriangles(captureFeedback(draw));
    if (vertices.size() % 6 != 0)
        throw std::runtime_error("odd number of triangles: a quad was clipped");
    std::vector<FeedbackQuad> quads(vertices.size() / 6);
    for (size_t q = 0; q < quads.size(); q++)
        for (int n = 0; n < 6; n++)
            quads[q].v[n] = vertices[6 * q + n];
    return quads;
}
