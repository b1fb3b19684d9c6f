// assetgen: writes the music module and the pictures of the show, or the program's icon, into a folder,
// deterministically.
#include "tools/assetgen/music/music.h"
#include "tools/assetgen/pictures/pictures.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        std::printf(
            "usage: assetgen OUTDIR [music] [pictures] [icons]\n"
            "Writes boo.oxm and the nine PNG pictures (or only the parts named) into OUTDIR;\n"
            "the program's icons (plix-48.png, plix-256.png) only when named: assetgen shell/icons icons\n");
        return argc < 2 ? 2 : 0;
    }
    const std::string dir = argv[1];
    bool music = argc == 2, pictures = argc == 2, icons = false;
    for (int i = 2; i < argc; i++) {
        if (std::strcmp(argv[i], "music") == 0)
            music = true;
        else if (std::strcmp(argv[i], "pictures") == 0)
            pictures = true;
        else if (std::strcmp(argv[i], "icons") == 0)
            icons = true;
        else {
            std::fprintf(stderr, "assetgen: unknown part '%s'\n", argv[i]);
            return 2;
        }
    }
    if (music && !writeMusic(dir))
        return 1;
    if (pictures && !writePictures(dir))
        return 1;
    if (icons && !writeIcons(dir))
        return 1;
    return 0;
}
