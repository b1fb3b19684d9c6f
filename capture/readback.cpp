// Two pixel-pack buffers in turn: glReadPixels into one returns at once, and the frame before is mapped
// from the other and handed to the writer, bottom row first.
#include "capture/readback.h"

#include "capture/writer.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

namespace {

GLuint buffers[2];
int frameWidth = 0;
int frameHeight = 0;
int64_t pendingFrame = -1; // the frame waiting in the buffer of its parity
int pendingSlot = 0;

bool handOn() {
    if (pendingFrame < 0)
        return true;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers[pendingSlot]);
    const void* pixels = glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
    const bool ok = pixels != nullptr && submitFrame(pendingFrame, static_cast<const unsigned char*>(pixels));
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    pendingFrame = -1;
    return ok;
}

} // namespace

void startReadback(int width, int height) {
    frameWidth = width;
    frameHeight = height;
    glGenBuffers(2, buffers);
    for (GLuint buffer : buffers) {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(width) * height * 4, nullptr,
                     GL_STREAM_READ);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
}

bool readbackFrame(int64_t frameIndex) {
    const int slot = pendingFrame >= 0 ? 1 - pendingSlot : 0;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers[slot]);
    glReadPixels(0, 0, frameWidth, frameHeight, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    const bool ok = handOn();
    pendingFrame = frameIndex;
    pendingSlot = slot;
    return ok;
}

bool finishReadback() {
    return handOn();
}
