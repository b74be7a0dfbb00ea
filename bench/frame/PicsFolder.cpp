#include "bench/frame/PicsFolder.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {
bool hasPics(const fs::path& folder) {
    std::error_code error;
    return fs::is_directory(folder / "pics", error);
}
}  // namespace

bool enterFolderWithPics(std::string& folder, std::string& error) {
    std::error_code fsError;
    const fs::path current = fs::current_path(fsError);
    if (!fsError && hasPics(current)) {
        folder = current.string();
        return true;
    }
    const fs::path executableFolder = fs::read_symlink("/proc/self/exe", fsError).parent_path();
    if (!fsError && hasPics(executableFolder)) {
        fs::current_path(executableFolder, fsError);
        if (!fsError) {
            folder = executableFolder.string();
            return true;
        }
    }
    error = "no pics/ in the current folder or next to the executable" +
            (executableFolder.empty() ? std::string() : " (" + executableFolder.string() + ")") +
            "; build the target orvane_pics and run from the build folder";
    return false;
}
