// The music generator: composes the song and writes it as DIR/boo.oxm.
#pragma once

#include <string>

bool writeMusic(const std::string& dir);
