#pragma once

#include <cstdint>
#include <string>

#include "tests/support/TempDirectory.h"

// Points Mesa's on-disk shader cache at a new, empty temporary directory, so
// that a start-up measurement pays for every shader compile as a first run
// on a new machine would. Must be set up before GL is initialised. The
// directory is removed by the destructor.
class FreshShaderCache {
public:
    FreshShaderCache() = default;
    ~FreshShaderCache();
    FreshShaderCache(const FreshShaderCache&) = delete;
    FreshShaderCache& operator=(const FreshShaderCache&) = delete;

    // Returns false, with a one-line reason in error(), if no directory
    // could be made.
    bool create();
    // Returns false, with the reason in error(), if the directory stays.
    bool remove();

    const std::string& path() const { return dir_.path(); }
    const std::string& error() const { return error_; }

    // What Mesa has written so far.
    std::uintmax_t fileCount() const;
    std::uintmax_t byteCount() const;

private:
    TempDirectory dir_{"orvane-shader-cache"};
    std::string error_;
};
