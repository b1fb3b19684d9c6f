// The nine texture names of the show, 0 until their picture is loaded.
#pragma once

#include <GL/gl.h>

extern GLuint texHeatTube;
extern GLuint texFlocke;
extern GLuint texLagerFeuer;
extern GLuint texFire;
extern GLuint texBack;
extern GLuint texBus;
extern GLuint texPeople;
extern GLuint texSouthPark;
extern GLuint texTheEnd;

// Loads the nine pictures in start-up order; a picture that fails is reported and keeps its name at 0.
void loadShowTextures();
