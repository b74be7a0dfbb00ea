#pragma once

struct SoftBall;

// The jelly look of a built ball (outside its build-up), in the board's
// frame: the contact shadow under a shown skin, the springs and the mass
// points when shown, then the skin, shaded with its own normals as a glossy
// tinted gel and set back a little in depth so that the springs and points
// on it stay in front. Puts back the enables, the colour, the blend
// function, the depth mask and the polygon offset; the material and the
// normal it leaves are its own (drawBall puts the classic ones back).
void drawJellyBall(const SoftBall& ball);
