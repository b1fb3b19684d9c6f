// Reading through the stored file callbacks: for the sound layer's own loader, and for a front that
// brings its own player and needs the song's bytes.
#pragma once

#include <cstddef>
#include <cstdint>

// The stored callbacks' open and close; null when no callbacks are set or no such file.
void* soundOpenFile(const char* name);
void soundCloseFile(void* handle);

// A stream over a handle of the stored callbacks, in libopenmpt's terms (whence 0 set, 1 current,
// 2 end). Seek returns 0 when the stream reached exactly the asked position and -1 otherwise, leaving
// the position where it was.
size_t soundStreamRead(void* handle, void* destination, size_t bytes);
int soundStreamSeek(void* handle, int64_t offset, int whence);
int64_t soundStreamTell(void* handle);
