// The credits overlay: five swaying lines of yellow translucent text over every frame.
#pragma once

extern const char* const creditLines[5];

void drawCredits();
