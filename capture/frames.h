// A frames folder's contents: numbered PNG frames and audio.wav, the 16-bit stereo WAV of their sound.
#pragma once

#include <cstdint>
#include <string>

struct PngData;

// Creates folder/audio.wav with the header for soundFrames stereo frames; the frames go in folder too.
bool openFrames(const std::string& folder, int64_t soundFrames, std::string& error);
// One frame of 8-bit RGB rows, top row first, as frame_NNNNNN.png numbered by frameIndex.
bool writePngFrame(int64_t frameIndex, const PngData& frame, std::string& error);
// Interleaved 16-bit stereo samples, appended to the WAV.
bool writeWavSound(const int16_t* samples, int64_t frames, std::string& error);
// Closes the WAV if it is open; false with the reason if it could not be completed. Safe in any state:
// the one way the frames are ended.
bool closeFrames(std::string& error);
