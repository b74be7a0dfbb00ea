#include "bench/frame/FreshShaderCache.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {
template <typename Visit>
void forEachFile(const std::string& root, Visit visit) {
    if (root.empty()) return;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file(error)) visit(*it);
    }
}
}  // namespace

FreshShaderCache::~FreshShaderCache() { remove(); }

bool FreshShaderCache::create() {
    if (!dir_.valid()) {
        error_ = "cannot make a temporary shader cache directory: " + std::string(std::strerror(errno));
        return false;
    }
    // Both names: older Mesa reads the GLSL one, newer the shader one.
    setenv("MESA_SHADER_CACHE_DIR", dir_.path().c_str(), 1);
    setenv("MESA_GLSL_CACHE_DIR", dir_.path().c_str(), 1);
    // A first run compiles every shader and also writes the cache; a cache
    // switched off in the caller's environment would skip the writes.
    unsetenv("MESA_SHADER_CACHE_DISABLE");
    unsetenv("MESA_GLSL_CACHE_DISABLE");
    return true;
}

bool FreshShaderCache::remove() { return dir_.remove(error_); }

std::uintmax_t FreshShaderCache::fileCount() const {
    std::uintmax_t count = 0;
    forEachFile(dir_.path(), [&](const fs::directory_entry&) { ++count; });
    return count;
}

std::uintmax_t FreshShaderCache::byteCount() const {
    std::uintmax_t bytes = 0;
    forEachFile(dir_.path(), [&](const fs::directory_entry& entry) {
        std::error_code error;
        const std::uintmax_t size = entry.file_size(error);
        if (!error) bytes += size;
    });
    return bytes;
}
