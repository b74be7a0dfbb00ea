#include "world/ScriptRecorder.h"

#include <cerrno>
#include <cstring>

ScriptRecorder::~ScriptRecorder() {
    if (file_) std::fclose(file_);
}

bool ScriptRecorder::open(const std::string& path, std::string& error) {
    if (file_) std::fclose(file_);  // a recorder opened again leaves its old file
    path_ = path;
    file_ = std::fopen(path.c_str(), "w");
    if (!file_ || std::fputs("# orvane session: replay with orvane-sim --input, orvane-capture or orvane --replay\n",
                             file_) < 0 || std::fflush(file_) != 0) {
        error = path + ": cannot write: " + std::strerror(errno);
        if (file_) std::fclose(file_);
        file_ = nullptr;
        return false;
    }
    return true;
}

bool ScriptRecorder::record(const ScriptEvent& event) {
    if (!file_) return false;
    const std::string line = formatScriptEvent(event) + "\n";
    if (std::fputs(line.c_str(), file_) < 0 || std::fflush(file_) != 0) {
        error_ = path_ + ": cannot write: " + std::strerror(errno);
        std::fclose(file_);
        file_ = nullptr;
        return false;
    }
    return true;
}
