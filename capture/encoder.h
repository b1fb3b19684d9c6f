// The ffmpeg child that encodes a video: its life (start, kill, wait) and its two pipes, raw RGB pictures
// on its standard input and 16-bit stereo sound on descriptor 3.
#pragma once

#include <cstdint>
#include <string>

struct PngData;

// Starts ffmpeg writing H.264/AAC to the MP4 file path from frames of width x height at rate a second.
bool startEncoder(const std::string& path, int width, int height, int rate, std::string& error);
// One frame of 8-bit RGB rows, top row first; false once the encoder takes no more.
bool encodePicture(int64_t frameIndex, const PngData& frame, std::string& error);
// Interleaved 16-bit stereo samples; false once the encoder takes no more.
bool encodeSound(const int16_t* samples, int64_t frames, std::string& error);
// Each writing thread closes its own pipe once it has written all of it, so that the encoder sees the
// end of each input whatever order it reads them in.
void endPictures();
void endSound();
// Kills the encoder if it runs; safe from any thread, so that writes blocked on its pipes return.
void killEncoder();
// Closes the pipes still open, kills the encoder first if kill is set, and waits for it; true if it
// exited with success or never started. Safe in any state: the one way the encoder is ended.
bool endEncoder(bool kill);
