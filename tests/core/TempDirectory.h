#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// A fresh directory under the system's temporary directory, removed with
// everything in it when the test is done.
class TempDirectory {
public:
    TempDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvane-test-XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (mkdtemp(name.data())) path_ = name.data();
    }
    ~TempDirectory() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
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
