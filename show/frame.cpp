// The frame state, the GL state of start-up, the show's preparation and the steps of every frame.
#include "show/frame.h"

#include "show/controls.h"
#include "show/particles.h"
#include "show/textures.h"
#include "show/timeline.h"

#include <GL/glu.h>

static double aspect = 1.0;
static const float eyeY = 0.0f;
static const double fovY = 100.0;
static const double zNear = 1.0;
static const double zFar = 10.0;
static const float lightAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
static const float lightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
static const float lightPosition[4] = {2.0f, 0.5f, -6.0f, 1.0f};

void initGlState() {
    glShadeModel(shadeModel);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_TEXTURE_2D);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
}

void prepareShow(void (*startSound)()) {
    initGlState();
    loadShowTextures();
    if (startSound)
        startSound();
    initParticlePools();
}

void reshapeFrame(int width, int height) {
    glViewport(0, 0, width, height);
    if (height != 0)
        aspect = double(width) / double(height);
}

void clearFrame() {
    glClearColor(0.0f, 0.0f, 0.05f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void setCamera() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovY, aspect, zNear, zFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eyeX, eyeY, eyeZ, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
}

// Set while the camera's matrix is current, so the position is a point in the world.
void setLight() {
    glLightfv(GL_LIGHT1, GL_AMBIENT, lightAmbient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, lightDiffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, lightPosition);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHTING);
}

void renderFrame() {
    clearFrame();
    setCamera();
    setLight();
    drawShow();
}
