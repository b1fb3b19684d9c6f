// The one orderly way out of the program.
#pragma once

// Releases the song and the sound layer and ends the process with status 0.
[[noreturn]] void shutdownShow();
