#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// A fresh directory under the system's temporary directory, removed with
// everything in it when the test (or benchmark) is done. The one way the
// tests and benchmarks make temporary files.
class TempDirectory {
public:
    explicit TempDirectory(const std::string& prefix = "orvane-test") {
        std::error_code error;
        std::filesystem::path base = std::filesystem::temp_directory_path(error);
        if (error) base = "/tmp";
        std::string pattern = (base / (prefix + "-XXXXXX")).string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempDirectory() {
        std::string ignored;
        remove(ignored);
    }

    // Removes the directory now; false, with the reason, if it stays.
    bool remove(std::string& error) {
        if (path_.empty()) return true;
        std::error_code failure;
        std::filesystem::remove_all(path_, failure);
        if (failure) {
            error = "cannot remove " + path_ + ": " + failure.message();
            return false;
        }
        path_.clear();
        return true;
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    bool valid() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    std::string writeBytes(const std::string& name, const std::vector<unsigned char>& bytes) const {
        return write(name, bytes.data(), bytes.size());
    }
    std::string writeText(const std::string& name, const std::string& text) const {
        return write(name, text.data(), text.size());
    }

private:
    // Returns the file's path; a file that could not be written is missing or short.
    std::string write(const std::string& name, const void* data, std::size_t size) const {
        const std::string where = file(name);
        std::FILE* out = std::fopen(where.c_str(), "wb");
        if (out) {
            if (size > 0) std::fwrite(data, 1, size, out);
            std::fclose(out);
        }
        return where;
    }

    std::string path_;
};
