// The picture generator: paints the nine pictures of the show and writes them as PNG files into DIR.
#pragma once

#include <string>

bool writePictures(const std::string& dir);
