// The entry point: the window, the resources, the four callbacks and the main loop.
#include "shell/libraries.h"
#include "shell/shutdown.h"
#include "shell/startup.h"
#include "show/clock.h"
#include "show/controls.h"
#include "show/frame.h"
#include "sound/sound.h"

#include <GL/glut.h>

// The music's position is the show's only clock; no wall clock is read.
static void onIdle() {
    tickClock(soundGetTime(song));
    glutPostRedisplay();
    glFinish();
}

static void onKeyboard(unsigned char key, int, int) {
    if (pressShowKey(key))
        shutdownShow();
}

static void onReshape(int width, int height) {
    reshapeFrame(width, height);
}

static void onDisplay() {
    renderFrame();
    glFlush();
    glutSwapBuffers();
}

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(640, 480);
    glutCreateWindow(showTitle);
    keepLibrariesLoaded();
    loadResources();
    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glutKeyboardFunc(onKeyboard);
    glutIdleFunc(onIdle);
    glutMainLoop();
    return 0;
}
