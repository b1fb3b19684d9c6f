// The credits overlay: five swaying lines of yellow translucent text over every frame.
#pragma once

void drawCredits();
