#pragma once

#include <string>

// Writes an uncompressed true-colour TGA file that loadTga reads back
// byte for byte. `pixels` holds width*height*components bytes in RGB(A)
// order, rows in the order they are to be stored. components is 3 or 4.
// Returns false (and says why in `error`, if given) when the file cannot be written.
bool writeTga(const std::string& path, int width, int height, int components,
              const unsigned char* pixels, std::string* error = nullptr);
