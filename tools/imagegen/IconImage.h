#pragma once

#include <vector>

#include "tools/imagegen/GeneratedImage.h"

// The program's icon: the soft ball on its tilted board under the stormy
// sky, on a tile with rounded corners. RGBA with straight alpha, rows top
// down; the same bytes on every run.

// The sizes the desktop's icon theme takes, in pixels a side.
const std::vector<int>& iconSizes();

// The icon at `size` pixels a side (16 or more), named "SIZExSIZE.png".
GeneratedImage makeIcon(int size);
