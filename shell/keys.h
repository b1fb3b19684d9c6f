// The viewer's controls and the window's reshape: quit, camera eye, shading; viewport and aspect.
#pragma once

void onKeyboard(unsigned char key, int x, int y);
void onReshape(int width, int height);
