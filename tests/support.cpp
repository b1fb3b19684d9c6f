// The tests' shared support: files, an independent PNG reader, the offscreen show and feedback capture.
#include "tests/support.h"

#include "offscreen/offscreen.h"
#include "show/clock.h"
#include "show/frame.h"
#include "show/particles.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <png.h>

std::vector<unsigned char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<unsigned char> dataFile(const std::string& name) {
    return fileBytes(std::string(PLIX_SOURCE_DIR) + "/data/" + name);
}

namespace {

// The bytes libpng has still to read.
struct Source {
    const unsigned char* next;
    size_t left;
};

void readSource(png_structp png, png_bytep out, size_t length) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (length > source->left)
        png_error(png, "short");
    std::copy_n(source->next, length, out);
    source->next += length, source->left -= length;
}

void quiet(png_structp, png_const_charp) {}

bool readInto(png_structp png, png_infop info, Source& source, PngPicture& p) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, &source, readSource);
    png_read_info(png, info);
    p.width = int(png_get_image_width(png, info));
    p.height = int(png_get_image_height(png, info));
    p.colorType = png_get_color_type(png, info);
    p.bitDepth = png_get_bit_depth(png, info);
    p.interlace = png_get_interlace_type(png, info);
    p.hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    png_set_expand(png);
    png_set_expand_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFFFF, PNG_FILLER_AFTER);
    png_set_swap(png); // 16-bit samples in the machine's order
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    p.rgba.assign(size_t(p.width) * p.height * 4, 0);
    std::vector<png_bytep> rows(size_t(p.height));
    for (int y = 0; y < p.height; y++)
        rows[size_t(y)] = reinterpret_cast<png_bytep>(p.rgba.data() + size_t(y) * p.width * 4);
    png_read_image(png, rows.data());
    return true;
}

} // namespace

bool readPngPicture(const std::vector<unsigned char>& bytes, PngPicture& picture) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, quiet);
    png_infop info = png_create_info_struct(png);
    Source source{bytes.data(), bytes.size()};
    const bool ok = readInto(png, info, source, picture);
    png_destroy_read_struct(&png, &info, nullptr);
    return ok;
}

bool openShowHarness() {
    static bool failed = false;
    static std::string failure;
    // A fresh context every time, so that no test sees the GL state an earlier one left behind.
    closeOffscreen();
    failed = failed || !openOffscreen(640, 480, &failure);
    if (failed) {
        ADD_FAILURE() << "no offscreen context: " << failure;
        return false;
    }
    prepareShow(nullptr);
    reshapeFrame(640, 480);
    drawShowFrame(0.0f, 0.0f);
    restartShowRandom();
    initParticlePools();
    return true;
}

Frame readFrame() {
    Frame f;
    f.width = offscreenWidth();
    f.height = offscreenHeight();
    f.rgba.resize(size_t(f.width) * f.height * 4);
    readOffscreenPixels(f.rgba.data());
    return f;
}

Frame drawShowFrame(float time, float delta) {
    songTime = time;
    frameDelta = delta;
    previousSongTime = time;
    renderFrame();
    glFlush();
    return readFrame();
}

float FeedbackQuad::width() const {
    auto [lo, hi] = std::minmax({v[0].x, v[1].x, v[4].x, v[5].x});
    return hi - lo;
}

float FeedbackQuad::height() const {
    auto [lo, hi] = std::minmax({v[0].y, v[1].y, v[4].y, v[5].y});
    return hi - lo;
}

const FeedbackVertex* FeedbackQuad::withTexture(float s, float t) const {
    for (const FeedbackVertex& p : v)
        if (p.texture[0] == s && p.texture[1] == t)
            return &p;
    return nullptr;
}

namespace {

// The primitives that draw emits, each of `corners` vertices: triangles (3) or line segments (2).
std::vector<FeedbackVertex> capture(const std::function<void()>& draw, int corners) {
    static std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint count = glRenderMode(GL_RENDER);
    EXPECT_GE(count, 0) << "feedback buffer overflow";
    std::vector<FeedbackVertex> vertices;
    for (GLint k = 0; k < count;) {
        const GLint token = GLint(buffer[size_t(k++)]); // no code calls glPassThrough
        const bool line = token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN;
        if (corners == 2 ? !line : token != GL_POLYGON_TOKEN || GLint(buffer[size_t(k++)]) != 3) {
            ADD_FAILURE() << "a primitive other than a " << (corners == 2 ? "line" : "triangle");
            return {};
        }
        for (int n = 0; n < corners; n++, k += 11) {
            const GLfloat* f = &buffer[size_t(k)];
            vertices.push_back({f[0], f[1], f[2], {f[3], f[4], f[5], f[6]}, {f[7], f[8], f[9], f[10]}});
        }
    }
    return vertices;
}

} // namespace

std::vector<FeedbackVertex> captureTriangles(const std::function<void()>& draw) {
    return capture(draw, 3);
}

std::vector<FeedbackVertex> captureLines(const std::function<void()>& draw) {
    return capture(draw, 2);
}

std::vector<FeedbackQuad> captureQuads(const std::function<void()>& draw) {
    const std::vector<FeedbackVertex> vertices = captureTriangles(draw);
    EXPECT_EQ(vertices.size() % 6, 0u) << "a quad was cut by the edge of the view";
    std::vector<FeedbackQuad> quads(vertices.size() / 6);
    for (size_t q = 0; q < quads.size(); q++)
        std::copy_n(&vertices[6 * q], 6, quads[q].v);
    return quads;
}
