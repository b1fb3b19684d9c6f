// The loaded song and the one orderly way out of the program.
#pragma once

struct Song;

extern Song* song;

// Releases the song and the sound layer and ends the process with status 0.
[[noreturn]] void shutdownShow();
