// The key table: i and k move the eye along z, l and j along x, each within its bounds; s toggles the
// shading; Escape and q ask the front to end the show; every other key does nothing.
#include "show/controls.h"

#include <algorithm>

float eyeX = 0.0f;
float eyeZ = -5.0f;
GLenum shadeModel = GL_SMOOTH;

namespace {

struct EyeKey {
    unsigned char key;
    float* coordinate;
    float step;
    float bound; // the furthest this key takes the coordinate
};

const EyeKey eyeKeys[] = {
    {'i', &eyeZ, 0.5f, 10.0f},
    {'k', &eyeZ, -0.5f, 0.0f},
    {'l', &eyeX, 0.5f, 10.0f},
    {'j', &eyeX, -0.5f, -10.0f},
};

} // namespace

bool pressShowKey(unsigned char key) {
    if (key == 27 || key == 'q')
        return true;
    // A step is taken and then held to the bound it goes towards: from beyond a bound (the eye starts at
    // z -5, below k's 0) a key's first step takes it to its bound at once.
    for (const EyeKey& k : eyeKeys)
        if (k.key == key)
            *k.coordinate = k.step > 0 ? std::min(*k.coordinate + k.step, k.bound)
                                       : std::max(*k.coordinate + k.step, k.bound);
    if (key == 's') {
        shadeModel = shadeModel == GL_FLAT ? GL_SMOOTH : GL_FLAT;
        glShadeModel(shadeModel);
    }
    return false;
}
