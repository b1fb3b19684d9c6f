// The nine texture names of the show and the one table that pairs each with its picture.
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

// In start-up order, which is also the order of the messages when pictures fail.
static const struct {
    GLuint* name;
    const char* picture;
} showTextures[] = {
    {&texHeatTube, "data/HeatTube.png"},
    {&texFlocke, "data/Flocke.png"},
    {&texLagerFeuer, "data/LagerFeuer.png"},
    {&texFire, "data/Fire.png"},
    {&texBack, "data/Back.png"},
    {&texBus, "data/Bus.png"},
    {&texPeople, "data/People.png"},
    {&texSouthPark, "data/SouthPark.png"},
    {&texTheEnd, "data/TheEnd.png"},
};

void loadShowTextures() {
    for (const auto& texture : showTextures)
        loadTexture(texture.name, texture.picture);
}
