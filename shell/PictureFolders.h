#pragma once

#include <vector>

#include "assets/PictureFolder.h"

// The folders the window takes its pictures from, in this order: pics/
// under the working directory (where the program has always looked), the
// installed ones beside the program (share/orvane/pics of its prefix), and
// those of the build tree it was built in, when the build names one.
std::vector<PictureFolder> windowPictureFolders();
