// Bus scene: the bus grows into view and eight figures step out of it and walk off to the left.
#pragma once

void drawBusScene(float t);
void drawPassengerQuad(int column, int row);
void movePassenger(int i, float s);
float busZoom(float t);
