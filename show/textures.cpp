// The nine texture names of the show and their loading at start-up.
#include "show/textures.h"

#include "util/png.h"

GLuint texHeatTube = 0;
GLuint texFlocke = 0;
GLuint texLagerFeuer = 0;
GLuint texFire = 0;
GLuint texBack = 0;
GLuint texBus = 0;
GLuint texPeople = 0;
GLuint texSouthPark = 0;
GLuint texTheEnd = 0;

void loadShowTextures() {
    loadTexture(&texHeatTube, "data/HeatTube.png");
    loadTexture(&texFlocke, "data/Flocke.png");
    loadTexture(&texLagerFeuer, "data/LagerFeuer.png");
    loadTexture(&texFire, "data/Fire.png");
    loadTexture(&texBack, "data/Back.png");
    loadTexture(&texBus, "data/Bus.png");
    loadTexture(&texPeople, "data/People.png");
    loadTexture(&texSouthPark, "data/SouthPark.png");
    loadTexture(&texTheEnd, "data/TheEnd.png");
}
