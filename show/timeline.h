// The timeline: picks the scene for songTime, draws and advances it, and lays the credits over it.
#pragma once

void drawShow();
void setPictureCanvas();
void drawHeatTube();
void drawLagerFeuer();
void drawTheEnd();
