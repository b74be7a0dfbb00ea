// Writes the known TGA cases as the fuzzer's seed corpus, one file each.
#include <cstdio>
#include <string>

#include "TgaCases.h"

int main(int argc, char** argv) {
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::fprintf(argc == 2 ? stdout : stderr, "usage: %s DIR\n  writes the seed corpus of TGA cases into DIR (which must exist)\n", argv[0]);
        return argc == 2 ? 0 : 2;
    }
    for (const TgaCase& c : tgaCases()) {
        const std::string path = std::string(argv[1]) + "/" + c.name + ".tga";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(c.bytes.data(), 1, c.bytes.size(), f) != c.bytes.size() || std::fclose(f) != 0) {
            std::fprintf(stderr, "write-tga-corpus: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
