// The composition: eight patterns in ten orders, D major, four bars of 4/4 to a pattern.
#pragma once

#include "tools/assetgen/music/xm.h"

// Fills the module's orders and patterns (instruments are added by the caller).
void composeSong(XmModule& module);
