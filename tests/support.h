// What the tests share: a file's bytes, a PNG read by libpng alone, the show drawn offscreen as the window
// draws it, and GL feedback capture of the quads that drawing code emits.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

std::vector<unsigned char> fileBytes(const std::string& path);
// A file of the source tree's data/, by its name there.
std::vector<unsigned char> dataFile(const std::string& name);

// A PNG as stored (its form) and with every pixel widened by libpng to 16-bit R G B A: palette and tRNS
// expanded, gray spread over R, G and B, opaque where nothing says otherwise. Top row first.
struct PngPicture {
    int width = 0, height = 0, colorType = -1, bitDepth = 0, interlace = -1;
    bool hasTrns = false;
    std::vector<uint16_t> rgba;
    double at(int x, int y, int c) const { return rgba[(size_t(y) * width + x) * 4 + c] / 65535.0; }
};
// False when libpng refuses the bytes.
bool readPngPicture(const std::vector<unsigned char>& bytes, PngPicture& picture);

// One frame as a viewer sees it: R G B A, top row first.
struct Frame {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
    const unsigned char* at(int x, int y) const { return rgba.data() + (size_t(y) * width + x) * 4; }
};

// Opens a new 640 x 480 offscreen context in place of the last (no test sees another's GL state), prepares
// the show as start-up does, draws the first frame and puts the pools back to their start state. False,
// failing the test with the reason, when there is no context.
bool openShowHarness();
Frame readFrame();
// Sets the clock as an idle tick leaves it, draws one frame as the display callback does and reads it.
Frame drawShowFrame(float songTime, float frameDelta);

// A quad as GL feedback gives it back: triangles (0, 1, 3) and (1, 2, 3) of its corners, in window
// coordinates (y up), with the colour after lighting and the texture coordinates.
struct FeedbackVertex {
    float x, y, z, color[4], texture[4];
};
struct FeedbackQuad {
    FeedbackVertex v[6];
    float centreX() const { return (v[0].x + v[1].x + v[4].x + v[5].x) / 4; }
    float centreY() const { return (v[0].y + v[1].y + v[4].y + v[5].y) / 4; }
    float width() const;
    float height() const;
    // Twice the signed area of the first triangle: positive when it runs counter-clockwise on screen.
    float winding() const {
        return (v[1].x - v[0].x) * (v[2].y - v[0].y) - (v[2].x - v[0].x) * (v[1].y - v[0].y);
    }
    // The vertex with texture coordinate (s, t), or null.
    const FeedbackVertex* withTexture(float s, float t) const;
};
// The triangles that draw emits, three vertices each, in order, clipped by the edge of the view.
std::vector<FeedbackVertex> captureTriangles(const std::function<void()>& draw);
// The line segments that draw emits, two vertices each, in order.
std::vector<FeedbackVertex> captureLines(const std::function<void()>& draw);
// The triangles paired into quads; fails the test when a quad was cut by the edge of the view.
std::vector<FeedbackQuad> captureQuads(const std::function<void()>& draw);
