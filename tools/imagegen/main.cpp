// orvane-imagegen: writes the program's pictures into a directory, and its
// icon in the desktop's sizes into another.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/Version.h"
#include "tools/common/PngWriter.h"
#include "tools/imagegen/IconImage.h"
#include "tools/imagegen/ImageSet.h"

namespace {

void printUsage(std::FILE* to) {
    std::fprintf(to,
                 "usage: orvane-imagegen [--out DIR] [--icons DIR]\n"
                 "Makes the program's pictures procedurally (the same bytes every time) and\n"
                 "writes them as TGA files into DIR, creating DIR if it is missing:\n ");
    for (const std::string& name : imageSetNames()) std::fprintf(to, " %s", name.c_str());
    std::fprintf(to,
                 "\n"
                 "  --out DIR     directory to write the pictures into\n"
                 "  --icons DIR   directory to write the icon into, as PNG in the sizes of\n"
                 "                the desktop's icon theme:");
    for (int size : iconSizes()) std::fprintf(to, " %dx%d.png", size, size);
    std::fprintf(to,
                 "\n"
                 "  --help        show this text\n"
                 "  --version     the version, and the commit it was built from\n");
}

int usageError(const char* why) {
    std::fprintf(stderr, "orvane-imagegen: %s\n", why);
    printUsage(stderr);
    return 2;
}

// Every size of the icon into `directory`, made first if missing.
bool writeIcons(const std::string& directory, std::string& error) {
    if (!makeOutputDirectory(directory, &error)) return false;
    for (int size : iconSizes()) {
        const GeneratedImage icon = makeIcon(size);
        if (!writeRgbaPng(directory + "/" + icon.name, icon.width, icon.height, icon.pixels.data(), error))
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string outDir;
    std::string iconDir;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            printUsage(stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs(versionText("orvane-imagegen").c_str(), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--out") == 0 || std::strcmp(argv[i], "--icons") == 0) {
            std::string& dir = std::strcmp(argv[i], "--out") == 0 ? outDir : iconDir;
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                return usageError((std::string(argv[i]) + " needs a directory").c_str());
            dir = argv[++i];
            continue;
        }
        return usageError((std::string("unknown option ") + argv[i]).c_str());
    }
    if (outDir.empty() && iconDir.empty()) return usageError("no output directory given");

    // A directory that cannot be made is reported before the work of drawing.
    std::string error;
    const bool picturesDone =
        outDir.empty() || (makeOutputDirectory(outDir, &error) && writeImageSet(outDir, generateImageSet(), &error));
    if (!picturesDone || (!iconDir.empty() && !writeIcons(iconDir, error))) {
        std::fprintf(stderr, "orvane-imagegen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
