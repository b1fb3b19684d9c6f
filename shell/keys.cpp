// The key table and the reshape callback; they change state that the next frame uses.
#include "shell/keys.h"

#include "shell/shutdown.h"
#include "show/frame.h"

void onKeyboard(unsigned char key, int, int) {
    // Each step is stored first and then held to its bound; a value equal to the bound stays.
    switch (key) {
    case 27:
    case 'q':
        shutdownShow();
        break;
    case 'i':
        eyeZ += 0.5f;
        if (eyeZ > 10.0f)
            eyeZ = 10.0f;
        break;
    case 'k':
        eyeZ -= 0.5f;
        if (eyeZ < 0.0f)
            eyeZ = 0.0f;
        break;
    case 'l':
        eyeX += 0.5f;
        if (eyeX > 10.0f)
            eyeX = 10.0f;
        break;
    case 'j':
        eyeX -= 0.5f;
        if (eyeX < -10.0f)
            eyeX = -10.0f;
        break;
    case 's':
        shadeModel = shadeModel == GL_FLAT ? GL_SMOOTH : GL_FLAT;
        glShadeModel(shadeModel);
        break;
    default:
        break;
    }
}

void onReshape(int width, int height) {
    reshapeFrame(width, height);
}
