// Mends where emscripten's GL emulation differs from desktop GL in what the show calls: its gluLookAt
// passes the matrix where the eye belongs and leaves the matrix as it was, and WebGL refuses the old
// component count (1 to 4) as a texture's internal format. Linked with --wrap=glTexImage2D.
#include <GL/gl.h>
#include <GL/glu.h>
#include <cmath>

namespace {

void normalize(double v[3]) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0)
        for (int i = 0; i < 3; i++)
            v[i] /= length;
}

void cross(const double a[3], const double b[3], double out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

} // namespace

// GLU's look-at: a rotation that turns the view direction to -z and up to +y, then the eye to the origin.
void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
               GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    double forward[3] = {centerX - eyeX, centerY - eyeY, centerZ - eyeZ};
    const double up[3] = {upX, upY, upZ};
    normalize(forward);
    double side[3];
    cross(forward, up, side);
    normalize(side);
    double trueUp[3];
    cross(side, forward, trueUp);
    // Rows side, up and backwards, stored column by column.
    GLfloat m[16] = {};
    for (int i = 0; i < 3; i++) {
        m[4 * i] = GLfloat(side[i]);
        m[4 * i + 1] = GLfloat(trueUp[i]);
        m[4 * i + 2] = GLfloat(-forward[i]);
    }
    m[15] = 1;
    glMultMatrixf(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

extern "C" void __real_glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                                    GLsizei height, GLint border, GLenum format, GLenum type,
                                    const void* pixels);

extern "C" void __wrap_glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                                    GLsizei height, GLint border, GLenum format, GLenum type,
                                    const void* pixels) {
    static const GLint named[5] = {0, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
    if (internalFormat >= 1 && internalFormat <= 4)
        internalFormat = named[internalFormat];
    __real_glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
}
