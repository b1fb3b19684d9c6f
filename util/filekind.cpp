// The kind of a file in words.
#include "util/filekind.h"

const char* fileKindName(mode_t mode) {
    switch (mode & S_IFMT) {
    case S_IFREG:
        return "a regular file";
    case S_IFDIR:
        return "a folder";
    case S_IFCHR:
        return "a character device";
    case S_IFBLK:
        return "a block device";
    case S_IFIFO:
        return "a FIFO";
    case S_IFSOCK:
        return "a socket";
    case S_IFLNK:
        return "a symlink";
    default:
        return "of an unknown kind";
    }
}
