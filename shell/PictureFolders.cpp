#include "shell/PictureFolders.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

#ifdef ORVANE_INSTALLED_PICS
namespace {
// The running program's folder, or empty where the system does not say.
fs::path programFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : program.parent_path();
}
}  // namespace
#endif

std::vector<PictureFolder> windowPictureFolders() {
    std::vector<PictureFolder> folders = {{"pics", "the working directory's"}};
#ifdef ORVANE_INSTALLED_PICS
    // Relative to the program, so that any prefix (and a staged install)
    // finds its own pictures.
    const fs::path program = programFolder();
    if (!program.empty()) folders.push_back({(program / ORVANE_INSTALLED_PICS).lexically_normal().string(), "installed"});
#endif
#ifdef ORVANE_BUILD_TREE_PICS
    folders.push_back({ORVANE_BUILD_TREE_PICS, "the build tree's"});
#endif
    return folders;
}
