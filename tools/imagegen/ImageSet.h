#pragma once

#include <string>
#include <vector>

#include "tools/imagegen/GeneratedImage.h"

// The program's ten pictures, all made procedurally and deterministically:
// the same bytes on every run and every build.

// The file names, in the order in which the set is made and written.
const std::vector<std::string>& imageSetNames();

// Makes the one picture called `name`; false for a name not in the set.
bool generateImage(const std::string& name, GeneratedImage& out);

// Makes all ten (the rock surface once for both rock pictures).
std::vector<GeneratedImage> generateImageSet();

// Creates `directory` (and its parents) if missing. On failure returns false
// with one line saying why.
bool makeOutputDirectory(const std::string& directory, std::string* error);

// Writes each picture as `directory`/name (TGA), creating the directory if it
// is missing. On failure returns false with one line saying why.
bool writeImageSet(const std::string& directory, const std::vector<GeneratedImage>& images, std::string* error);
