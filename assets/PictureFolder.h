#pragma once

#include <string>
#include <vector>

// Where the window's pictures are looked for: a list of folders tried in
// order, the first holding any of them wins. A folder missing some of the
// pictures still wins, so that the scene reports each missing one, as it
// always has with pics/ under the working directory.

// The ten pictures the scene reads.
const std::vector<std::string>& scenePictureNames();

struct PictureFolder {
    std::string path;  // "pics" or an absolute path
    std::string what;  // for messages: "the working directory's", "installed", ...
};

// The first folder that holds at least one of the scene's pictures, or null.
const PictureFolder* firstFolderWithPictures(const std::vector<PictureFolder>& folders);

// One line, without the newline, that names every place looked in.
std::string noPicturesMessage(const std::vector<PictureFolder>& folders);
