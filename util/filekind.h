// The kind of a file in words, for messages that refuse what is not a regular file.
#pragma once

#include <sys/stat.h>

// "a FIFO", "a character device", "a folder", ... from a mode as stat gives it.
const char* fileKindName(mode_t mode);
