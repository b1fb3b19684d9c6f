// The work name: a file or folder beside the target, made fresh for this run alone, under which the
// result is written; renamed to the target once complete, or removed.
#pragma once

#include <string>

// Makes the work folder (folder set) or file beside target; false with the reason if it cannot.
bool makeWork(const std::string& target, bool folder, std::string& error);
// The work file or folder; empty until it is made and after it is gone.
const std::string& workPath();
// With keep set, gives the work the permissions of a file made the ordinary way and renames it to the
// target; true if it was. Otherwise, or if that fails, removes it. Safe in any state: the one way the
// work is ended.
bool endWork(bool keep, std::string& error);
