// The picture generator: paints the nine pictures of the show and the program's icon as PNG files.
#pragma once

#include <string>

bool writePictures(const std::string& dir);
// Writes the program's icon at 48 and 256 pixels as plix-48.png and plix-256.png into DIR.
bool writeIcons(const std::string& dir);
