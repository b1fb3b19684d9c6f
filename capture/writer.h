// A writer thread that takes finished frames off the drawing thread, so that converting, compressing and
// piping a frame overlap with drawing the next one.
#pragma once

#include <cstdint>
#include <string>

struct FrameOutput;

// onFailure is called from the writer thread when a frame fails, to stop the rest of the capture.
void startWriter(FrameOutput& out, void (*onFailure)());
// Copies one RGBA frame, bottom row first as GL reads it, into the queue; blocks while the queue is full.
// False once the writer has failed.
bool submitFrame(int64_t frameIndex, const unsigned char* rgba);
// Ends the writer at once, from any thread: submitFrame returns false from then on.
void haltWriter();
// Writes what is queued and stops; false with the writer's error if any frame failed.
bool stopWriter(std::string& error);
