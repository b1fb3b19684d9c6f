// The modelview and projection stacks of the page's GL and the calls that change them, GLU's two among
// them. Column by column, in single precision, as desktop GL keeps them.
#include "web/gl/layer.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cmath>
#include <cstring>

namespace {

// Desktop GL guarantees 32 modelview and 2 projection matrices; both stacks hold 32 here.
constexpr int stackDepth = 32;

struct Stack {
    float matrices[stackDepth][16];
    int top;
};

Stack modelview = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}, 0};
Stack projection = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}, 0};
Stack* current = &modelview;

float* top() {
    return current->matrices[current->top];
}

// The current matrix times m, m on the right as in GL.
void multiply(const float m[16]) {
    float product[16];
    const float* c = top();
    for (int col = 0; col < 4; col++)
        for (int row = 0; row < 4; row++) {
            float sum = 0;
            for (int k = 0; k < 4; k++)
                sum += c[k * 4 + row] * m[col * 4 + k];
            product[col * 4 + row] = sum;
        }
    std::memcpy(top(), product, sizeof product);
}

} // namespace

const float* currentModelview() {
    return modelview.matrices[modelview.top];
}

const float* currentProjection() {
    return projection.matrices[projection.top];
}

void transformPoint(const float m[16], const float in[4], float out[4]) {
    for (int row = 0; row < 4; row++)
        out[row] = m[row] * in[0] + m[4 + row] * in[1] + m[8 + row] * in[2] + m[12 + row] * in[3];
}

extern "C" {

void glMatrixMode(GLenum mode) {
    if (mode == GL_MODELVIEW)
        current = &modelview;
    else if (mode == GL_PROJECTION)
        current = &projection;
}

void glLoadIdentity() {
    static const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::memcpy(top(), identity, sizeof identity);
}

// A push onto a full stack or a pop of its last matrix does nothing, as GL refuses both.
void glPushMatrix() {
    if (current->top + 1 >= stackDepth)
        return;
    std::memcpy(current->matrices[current->top + 1], top(), 16 * sizeof(float));
    current->top++;
}

void glPopMatrix() {
    if (current->top > 0)
        current->top--;
}

void glMultMatrixf(const GLfloat* m) {
    multiply(m);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    const float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
    multiply(m);
}

void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
    glTranslatef(GLfloat(x), GLfloat(y), GLfloat(z));
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    const float m[16] = {x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1};
    multiply(m);
}

// A turn by angle degrees about the axis (x, y, z), counter-clockwise looking down the axis.
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f)
        return;
    x /= length, y /= length, z /= length;
    const float radians = angle * float(M_PI / 180.0);
    const float s = std::sin(radians), c = std::cos(radians), d = 1.0f - c;
    const float m[16] = {x * x * d + c,
                         y * x * d + z * s,
                         x * z * d - y * s,
                         0,
                         x * y * d - z * s,
                         y * y * d + c,
                         y * z * d + x * s,
                         0,
                         x * z * d + y * s,
                         y * z * d - x * s,
                         z * z * d + c,
                         0,
                         0,
                         0,
                         0,
                         1};
    multiply(m);
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar) {
    const float l = float(left), r = float(right), b = float(bottom), t = float(top);
    const float n = float(zNear), f = float(zFar);
    const float m[16] = {2 / (r - l),
                         0,
                         0,
                         0,
                         0,
                         2 / (t - b),
                         0,
                         0,
                         0,
                         0,
                         -2 / (f - n),
                         0,
                         -(r + l) / (r - l),
                         -(t + b) / (t - b),
                         -(f + n) / (f - n),
                         1};
    multiply(m);
}

void gluPerspective(GLdouble fovY, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double f = 1.0 / std::tan(fovY * M_PI / 360.0), depth = zNear - zFar;
    const float m[16] = {float(f / aspect),
                         0,
                         0,
                         0,
                         0,
                         float(f),
                         0,
                         0,
                         0,
                         0,
                         float((zFar + zNear) / depth),
                         -1,
                         0,
                         0,
                         float(2 * zFar * zNear / depth),
                         0};
    multiply(m);
}

// A rotation that turns the view direction to -z and up to +y, then the eye to the origin.
void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
               GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    float forward[3] = {float(centerX - eyeX), float(centerY - eyeY), float(centerZ - eyeZ)};
    const float up[3] = {float(upX), float(upY), float(upZ)};
    auto normalize = [](float v[3]) {
        const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (length > 0)
            for (int i = 0; i < 3; i++)
                v[i] /= length;
    };
    auto cross = [](const float a[3], const float b[3], float out[3]) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    normalize(forward);
    float side[3], trueUp[3];
    cross(forward, up, side);
    normalize(side);
    cross(side, forward, trueUp);
    // Rows side, up and backwards, stored column by column.
    float m[16] = {};
    for (int i = 0; i < 3; i++) {
        m[4 * i] = side[i];
        m[4 * i + 1] = trueUp[i];
        m[4 * i + 2] = -forward[i];
    }
    m[15] = 1;
    multiply(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

} // extern "C"
