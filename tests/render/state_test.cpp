// Each drawing routine sets the GL state it draws in: started from a state an earlier routine may leave
// (blending off or additive, texturing off or another texture bound, lighting off, a depth test that
// passes nothing, the other faces culled, a stray colour or canvas), it draws what it draws after a frame,
// each of its pictures shows in it, and a picture that covers the frame hides what lies below.
#include "show/bus.h"
#include "show/clock.h"
#include "show/credits.h"
#include "show/fire.h"
#include "show/frame.h"
#include "show/particles.h"
#include "show/snow.h"
#include "show/textures.h"
#include "show/timeline.h"
#include "tests/support.h"
#include "util/oia.h"

#include <GL/gl.h>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Three normals in the plane of the view, each from its vertex: normal, then position.
float normalsData[3][6] = {
    {0.8f, 0, 0, -0.5f, -0.5f, 0}, {0, 0.8f, 0, 0.5f, -0.5f, 0}, {-0.6f, -0.3f, 0, 0, 0.5f, 0}};
Mesh normalsMesh = {GL_N3F_V3F, 24, GL_TRIANGLES, 3, reinterpret_cast<unsigned char*>(normalsData)};

// GL's start-up state, a frame of the show over it, then the next frame's clear, camera and light.
void afterAFrame() {
    initGlState();
    songTime = 0.0f;
    renderFrame();
    clearFrame();
    setCamera();
    setLight();
}

} // namespace

TEST(GlState, EachRoutineShowsItsOwnPicturesTheSameWhateverStateAnEarlierOneLeft) {
    ASSERT_TRUE(openShowHarness());
    frameDelta = 3.0f; // flakes and sparks spread out and half faded
    for (Particle& flake : snowPool)
        respawnFlake(flake);
    for (Particle& spark : firePool)
        respawnSpark(spark);
    updateSnow(), updateFire();
    drawBusScene(10.0f); // the figures that walk at 10 s take their place there

    const struct {
        const char* name;
        void (*draw)();
        std::vector<GLuint*> pictures; // each shows: the frame changes when it is not loaded
        bool covers;                   // opaque over the whole frame, whatever lies below
    } routines[] = {
        {"the duct", drawHeatTube, {&texHeatTube}, true},
        {"the snow", drawSnow, {&texFlocke}, false},
        {"the sparks", drawFire, {&texFire}, false},
        {"the campfire", drawLagerFeuer, {&texLagerFeuer}, false},
        {"the bus scene", [] { drawBusScene(10.0f); }, {&texBack, &texPeople, &texBus}, true},
        {"the closing picture", drawTheEnd, {&texTheEnd}, true},
        {"the credits", drawCredits, {&texSouthPark}, false},
        {"the normals", // in the caller's matrices and depth test
         [] {
             glMatrixMode(GL_PROJECTION), glLoadIdentity(), glMatrixMode(GL_MODELVIEW), glLoadIdentity();
             glDisable(GL_DEPTH_TEST);
             drawNormals(&normalsMesh);
         },
         {},
         false},
    };
    const struct {
        const char* name;
        void (*spoil)();
    } earlier[] = {
        {"blending off", [] { glDisable(GL_BLEND); }},
        {"an additive blend", [] { glEnable(GL_BLEND), glBlendFunc(GL_SRC_ALPHA, GL_ONE); }},
        {"texturing off", [] { glDisable(GL_TEXTURE_2D); }},
        {"another texture bound", [] { glBindTexture(GL_TEXTURE_2D, texFire); }},
        {"lighting off", [] { glDisable(GL_LIGHTING); }},
        {"a depth test that passes nothing", [] { glEnable(GL_DEPTH_TEST), glDepthFunc(GL_NEVER); }},
        {"front faces culled", [] { glEnable(GL_CULL_FACE), glCullFace(GL_FRONT); }},
        {"a stray colour", [] { glColor4f(0.2f, 1.0f, 0.5f, 0.3f); }},
        {"a stray canvas",
         [] {
             glMatrixMode(GL_PROJECTION), glLoadIdentity(), glOrtho(0, 2048, 1536, 0, -1, 1);
             glMatrixMode(GL_MODELVIEW), glLoadIdentity();
         }},
    };
    afterAFrame();
    const Frame cleared = readFrame();
    for (const auto& routine : routines) {
        afterAFrame();
        routine.draw();
        const Frame want = readFrame();
        EXPECT_TRUE(want.rgba != cleared.rgba) << "nothing drawn by " << routine.name;
        if (routine.covers) {
            afterAFrame();
            glClearColor(1.0f, 0.0f, 1.0f, 1.0f), glClear(GL_COLOR_BUFFER_BIT);
            routine.draw();
            EXPECT_TRUE(readFrame().rgba == want.rgba) << routine.name << " lets the frame below show";
        }
        for (size_t k = 0; k < routine.pictures.size(); k++) {
            const GLuint loaded = *routine.pictures[k];
            *routine.pictures[k] = 0;
            afterAFrame();
            routine.draw();
            EXPECT_TRUE(readFrame().rgba != want.rgba)
                << routine.name << " without picture " << k << " of its list";
            *routine.pictures[k] = loaded;
        }
        for (const auto& state : earlier) {
            afterAFrame();
            state.spoil();
            routine.draw();
            const Frame got = readFrame();
            int wrong = 0;
            for (size_t i = 0; i < got.rgba.size(); i += 4)
                wrong += std::equal(&got.rgba[i], &got.rgba[i] + 4, &want.rgba[i]) ? 0 : 1;
            EXPECT_EQ(wrong, 0) << routine.name << " after " << state.name << ": pixels that differ";
        }
    }
}
