#pragma once

#include "tools/imagegen/GeneratedImage.h"

constexpr int kLightningSize = 256;

// "lightning2.tga", 32-bit: a branching bolt running from the top of the
// picture (the last rows: t grows upwards where it is drawn) towards the
// bottom, with a soft glow, on transparent black. It is blended additively
// with its alpha, so alpha carries the brightness; wherever alpha is 0 the
// colour is black too, and the outermost texels are left empty so that
// repeating texture edges cannot bleed.
GeneratedImage makeLightningImage(int size);
