// orvane-web-icons DIR: the page's icons, icon-192.png and icon-512.png,
// for its web app manifest.
#include <cstdio>
#include <string>

#include "tools/common/PngWriter.h"
#include "tools/imagegen/IconImage.h"

int main(int argc, char** argv) {
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::fprintf(argc == 2 ? stdout : stderr, "usage: orvane-web-icons DIR\n"
                     "Writes the page's icons, icon-192.png and icon-512.png, into DIR.\n");
        return argc == 2 ? 0 : 2;
    }
    for (const int size : {192, 512}) {
        const GeneratedImage icon = makeIcon(size);
        const std::string path = std::string(argv[1]) + "/icon-" + std::to_string(size) + ".png";
        std::string error;
        if (!writeRgbaPng(path, icon.width, icon.height, icon.pixels.data(), error)) {
            std::fprintf(stderr, "orvane-web-icons: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
