// The vertex array of the page's GL: quads gathered in the order given and drawn by WebGL as
// triangles, the texture modulated by the vertex colour, in one draw per run of unchanged state.
#include "web/gl/layer.h"

#include <GLES2/gl2.h>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// A frame of the show holds about 600 quads; a fuller array is drawn and started again.
constexpr int quadCapacity = 4096;

DrawnVertex vertices[quadCapacity * 4];
int gathered = 0; // quads in the array
int drawn = 0;    // of which already drawn

GLuint program = 0;
GLint texturedAt = -1;
int texturedSet = -1;

const char* const vertexShader = R"(
attribute vec4 position;
attribute vec2 texCoord;
attribute vec4 color;
varying vec2 uv;
varying vec4 tint;
void main() {
    gl_Position = position;
    uv = texCoord;
    tint = color;
})";

const char* const fragmentShader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D picture;
uniform float textured;
varying vec2 uv;
varying vec4 tint;
void main() {
    gl_FragColor = tint * mix(vec4(1.0), texture2D(picture, uv), textured);
})";

GLuint compile(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// The program, and the buffers that stay bound for the page's whole life: the vertices, and the
// indices that cut each quad (0, 1, 2, 3) into the triangles (0, 1, 3) and (1, 2, 3), as Mesa does.
void setUp() {
    program = glCreateProgram();
    glAttachShader(program, compile(GL_VERTEX_SHADER, vertexShader));
    glAttachShader(program, compile(GL_FRAGMENT_SHADER, fragmentShader));
    glBindAttribLocation(program, 0, "position");
    glBindAttribLocation(program, 1, "texCoord");
    glBindAttribLocation(program, 2, "color");
    glLinkProgram(program);
    glUseProgram(program);
    texturedAt = glGetUniformLocation(program, "textured");
    glUniform1i(glGetUniformLocation(program, "picture"), 0);

    static uint16_t indices[quadCapacity * 6];
    static const uint16_t cut[6] = {0, 1, 3, 1, 2, 3};
    for (int q = 0; q < quadCapacity; q++)
        for (int k = 0; k < 6; k++)
            indices[q * 6 + k] = uint16_t(q * 4 + cut[k]);
    GLuint buffers[2];
    glGenBuffers(2, buffers);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[0]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof indices, indices, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[1]);
    glBufferData(GL_ARRAY_BUFFER, sizeof vertices, nullptr, GL_DYNAMIC_DRAW);
    const GLsizei stride = sizeof(DrawnVertex);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, (void*)offsetof(DrawnVertex, position));
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, (void*)offsetof(DrawnVertex, texCoord));
    glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, stride, (void*)offsetof(DrawnVertex, color));
    for (GLuint a = 0; a < 3; a++)
        glEnableVertexAttribArray(a);
}

} // namespace

void gatherQuad(const DrawnVertex corners[4]) {
    if (gathered == quadCapacity) {
        flushDrawing();
        restartDrawing();
    }
    std::memcpy(&vertices[gathered * 4], corners, 4 * sizeof(DrawnVertex));
    gathered++;
}

void flushDrawing() {
    if (drawn == gathered)
        return;
    if (!program)
        setUp();
    const int textured = texturingOn() ? 1 : 0;
    if (textured != texturedSet) {
        glUniform1f(texturedAt, GLfloat(textured));
        texturedSet = textured;
    }
    glBufferSubData(GL_ARRAY_BUFFER, drawn * 4 * sizeof(DrawnVertex),
                    (gathered - drawn) * 4 * sizeof(DrawnVertex), &vertices[drawn * 4]);
    glDrawElements(GL_TRIANGLES, (gathered - drawn) * 6, GL_UNSIGNED_SHORT,
                   (void*)(drawn * 6 * sizeof(uint16_t)));
    drawn = gathered;
}

void restartDrawing() {
    gathered = drawn = 0;
}
