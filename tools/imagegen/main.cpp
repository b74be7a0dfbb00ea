// orvane-imagegen: writes the program's pictures into a directory.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/Version.h"
#include "tools/imagegen/ImageSet.h"

namespace {

void printUsage(std::FILE* to) {
    std::fprintf(to,
                 "usage: orvane-imagegen --out DIR\n"
                 "Makes the program's pictures procedurally (the same bytes every time) and\n"
                 "writes them as TGA files into DIR, creating DIR if it is missing:\n ");
    for (const std::string& name : imageSetNames()) std::fprintf(to, " %s", name.c_str());
    std::fprintf(to,
                 "\n"
                 "  --out DIR   directory to write into\n"
                 "  --help      show this text\n"
                 "  --version   the version, and the commit it was built from\n");
}

int usageError(const char* why) {
    std::fprintf(stderr, "orvane-imagegen: %s\n", why);
    printUsage(stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string outDir;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            printUsage(stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs(versionText("orvane-imagegen").c_str(), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--out") == 0) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') return usageError("--out needs a directory");
            outDir = argv[++i];
            continue;
        }
        return usageError((std::string("unknown option ") + argv[i]).c_str());
    }
    if (outDir.empty()) return usageError("no output directory given");

    // A directory that cannot be made is reported before the work of drawing.
    std::string error;
    if (!makeOutputDirectory(outDir, &error) || !writeImageSet(outDir, generateImageSet(), &error)) {
        std::fprintf(stderr, "orvane-imagegen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
