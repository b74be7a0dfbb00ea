#pragma once

struct SoftBall;

// Compare mode's second ball, B, drawn into the scene after the first as a
// translucent orange ghost: its skin, and its springs and mass points when
// they are shown, so that where the two balls part is plain to see. It
// sends no normals and no material, so that whatever is drawn after it is
// lit as without it, and puts back every GL state it changes.
void drawGhostBall(const SoftBall& ball);
