// Immediate mode in the page's GL: each vertex given between glBegin and glEnd is taken through the
// matrices, coloured (lit, when lighting is on, as desktop GL lights the default material) and handed
// on to the vertex array a quad at a time. GL_QUADS only: the show draws nothing else.
#include "web/gl/layer.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

namespace {

// Desktop GL's defaults, which the show keeps: the scene's ambient light and the default material's
// ambient and diffuse reflectance (no specular, no emission, alpha 1). Normals stay at (0, 0, 1).
constexpr float sceneAmbient = 0.2f, materialAmbient = 0.2f, materialDiffuse = 0.8f;

struct Light {
    float ambient[4];
    float diffuse[4];
    float position[4]; // in eye coordinates, as the modelview was when it was set
};

Light lights[8] = {
    {{0, 0, 0, 1}, {1, 1, 1, 1}, {0, 0, 1, 0}}, {{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 1, 0}},
    {{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 1, 0}}, {{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 1, 0}},
    {{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 1, 0}}, {{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 1, 0}},
    {{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 1, 0}}, {{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 1, 0}},
};

float color[4] = {1, 1, 1, 1};
float texCoord[2] = {0, 0};

// Between glBegin and glEnd: the mode, the corners of the quad so far, and what the matrices give for
// this primitive (they cannot change inside it): modelview and projection in one, the normal in eye
// coordinates.
GLenum mode = 0;
bool inside = false;
DrawnVertex corners[4];
int cornerCount = 0;
float clipMatrix[16];
float normal[3];

// The row vector (0, 0, 1) times the inverse of the modelview's upper 3 × 3, the normal matrix of GL.
void eyeNormal(const float* m, float out[3]) {
    auto at = [m](int row, int col) { return m[col * 4 + row]; };
    const float cofactors[3] = {at(1, 0) * at(2, 1) - at(1, 1) * at(2, 0),
                                -(at(0, 0) * at(2, 1) - at(0, 1) * at(2, 0)),
                                at(0, 0) * at(1, 1) - at(0, 1) * at(1, 0)};
    const float det = at(0, 0) * (at(1, 1) * at(2, 2) - at(1, 2) * at(2, 1)) -
                      at(0, 1) * (at(1, 0) * at(2, 2) - at(1, 2) * at(2, 0)) +
                      at(0, 2) * (at(1, 0) * at(2, 1) - at(1, 1) * at(2, 0));
    for (int i = 0; i < 3; i++)
        out[i] = det != 0.0f ? cofactors[i] / det : 0.0f;
}

// The lit colour of a vertex at eye, by GL's lighting equation for the default material.
void light(const float eye[4], float out[4]) {
    for (int c = 0; c < 3; c++)
        out[c] = sceneAmbient * materialAmbient;
    for (int i = 0; i < 8; i++) {
        if (!lightOn(i))
            continue;
        const Light& l = lights[i];
        float toLight[3];
        for (int k = 0; k < 3; k++)
            toLight[k] =
                l.position[3] == 0.0f ? l.position[k] : l.position[k] / l.position[3] - eye[k] / eye[3];
        const float length =
            std::sqrt(toLight[0] * toLight[0] + toLight[1] * toLight[1] + toLight[2] * toLight[2]);
        const float facing =
            length > 0 ? (normal[0] * toLight[0] + normal[1] * toLight[1] + normal[2] * toLight[2]) / length
                       : 0;
        for (int c = 0; c < 3; c++)
            out[c] +=
                l.ambient[c] * materialAmbient + std::max(facing, 0.0f) * l.diffuse[c] * materialDiffuse;
    }
    for (int c = 0; c < 3; c++)
        out[c] = std::clamp(out[c], 0.0f, 1.0f);
    out[3] = 1.0f;
}

} // namespace

extern "C" {

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    color[0] = r, color[1] = g, color[2] = b, color[3] = a;
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    texCoord[0] = s, texCoord[1] = t;
}

void glBegin(GLenum primitive) {
    mode = primitive;
    inside = true;
    cornerCount = 0;
    const float* modelview = currentModelview();
    const float* projection = currentProjection();
    for (int col = 0; col < 4; col++)
        transformPoint(projection, modelview + col * 4, clipMatrix + col * 4);
    eyeNormal(modelview, normal);
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (!inside || mode != GL_QUADS)
        return;
    const float point[4] = {x, y, z, 1};
    DrawnVertex& v = corners[cornerCount++];
    transformPoint(clipMatrix, point, v.position);
    v.texCoord[0] = texCoord[0], v.texCoord[1] = texCoord[1];
    if (lightingOn()) {
        float eye[4];
        transformPoint(currentModelview(), point, eye);
        light(eye, v.color);
    } else {
        for (int c = 0; c < 4; c++)
            v.color[c] = std::clamp(color[c], 0.0f, 1.0f);
    }
    if (cornerCount < 4)
        return;
    // A flat quad takes the colour of its last corner.
    if (flatShading())
        for (int k = 0; k < 3; k++)
            std::copy(corners[3].color, corners[3].color + 4, corners[k].color);
    gatherQuad(corners);
    cornerCount = 0;
}

void glVertex3fv(const GLfloat* v) {
    glVertex3f(v[0], v[1], v[2]);
}

void glEnd() {
    inside = false;
}

// Positions go through the modelview as it is now; ambient and diffuse are the light's only colours
// that the default material reflects.
void glLightfv(GLenum which, GLenum name, const GLfloat* values) {
    if (which < GL_LIGHT0 || which >= GL_LIGHT0 + 8)
        return;
    Light& l = lights[which - GL_LIGHT0];
    if (name == GL_AMBIENT)
        std::copy(values, values + 4, l.ambient);
    else if (name == GL_DIFFUSE)
        std::copy(values, values + 4, l.diffuse);
    else if (name == GL_POSITION)
        transformPoint(currentModelview(), values, l.position);
}

} // extern "C"
