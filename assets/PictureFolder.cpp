#include "assets/PictureFolder.h"

#include <filesystem>
#include <system_error>

const std::vector<std::string>& scenePictureNames() {
    static const std::vector<std::string> names = {
        "rock_texture.tga", "rock_normal.tga", "env2.tga",     "skybox_0.tga", "skybox_1.tga",
        "skybox_2.tga",     "skybox_3.tga",    "skybox_4.tga", "skybox_5.tga", "lightning2.tga"};
    return names;
}

namespace {
bool holdsAPicture(const std::string& folder) {
    std::error_code error;
    for (const std::string& name : scenePictureNames()) {
        if (std::filesystem::is_regular_file(std::filesystem::path(folder) / name, error)) return true;
    }
    return false;
}
}  // namespace

const PictureFolder* firstFolderWithPictures(const std::vector<PictureFolder>& folders) {
    for (const PictureFolder& folder : folders) {
        if (holdsAPicture(folder.path)) return &folder;
    }
    return nullptr;
}

std::string noPicturesMessage(const std::vector<PictureFolder>& folders) {
    std::string places;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (i > 0) places += i + 1 == folders.size() ? " or " : ", ";
        places += folders[i].path + " (" + folders[i].what + ")";
    }
    return "no pictures found in " + (places.empty() ? std::string("any folder") : places) +
           "; the scene is drawn without them";
}
