// What the capture's result may replace, and the work name it is made under beside it.
#pragma once

#include <string>
#include <vector>

// A video goes only over a regular file, a symlink to one, or a name that is free; anything else (a
// device, a FIFO, a socket, a folder, a link to any of them or to nothing) is refused, named as what it is.
bool videoTargetUsable(const std::string& target, std::string& error);

// The template for mkostemp or mkdtemp: the target's name cut to leave room, within the folder's limit on
// a name's length, for ".partial-XXXXXX".
std::string workTemplate(const std::string& target);

// Work names beside the target that an earlier run left when it was killed before it could remove them.
std::vector<std::string> leftoverWork(const std::string& target);
