#include "shell/SavedFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

std::string savedFileName(const char* kind, const char* extension, std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return std::string("orvane-") + kind + "-" + stamp + "." + extension;
}

std::string saveInWorkingDirectory(const std::string& name, const std::string& text) {
    std::error_code ignored;
    const std::string folder = std::filesystem::current_path(ignored).string();
    const std::string where = folder.empty() ? name : folder + "/" + name;
    std::FILE* file = std::fopen(name.c_str(), "wx");  // never over an existing file
    if (!file) return "cannot save " + where + ": " + std::strerror(errno);
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int writeErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (written && closed) return "saved " + where;
    std::remove(name.c_str());
    return "cannot save " + where + ": " + std::strerror(written ? errno : writeErrno);
}
