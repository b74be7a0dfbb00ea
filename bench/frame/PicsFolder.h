#pragma once

#include <string>

// The program reads its pictures from "pics/" under the working directory.
// Keeps the working directory if it has pics/, else moves to the folder of
// the executable if that has one (the build folder does). Returns false, with
// a one-line reason in error, when neither has it.
bool enterFolderWithPics(std::string& folder, std::string& error);
