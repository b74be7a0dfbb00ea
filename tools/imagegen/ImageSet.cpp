#include "tools/imagegen/ImageSet.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <system_error>
#include <thread>

#include "assets/TgaWriter.h"
#include "tools/imagegen/LightningImage.h"
#include "tools/imagegen/RockImages.h"
#include "tools/imagegen/SkyImages.h"

namespace {

constexpr int kSkyboxFaceCount = 6;

std::string skyboxName(int face) { return "skybox_" + std::to_string(face) + ".tga"; }

}  // namespace

const std::vector<std::string>& imageSetNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list{"env2.tga", "rock_texture.tga", "rock_normal.tga", "lightning2.tga"};
        for (int face = 0; face < kSkyboxFaceCount; ++face) list.push_back(skyboxName(face));
        return list;
    }();
    return names;
}

bool generateImage(const std::string& name, GeneratedImage& out) {
    if (name == "env2.tga") {
        out = makeSkyEnvironment(kEnvironmentSize);
        return true;
    }
    if (name == "rock_texture.tga") {
        out = makeRockTexture(makeRockSurface(kRockSize));
        return true;
    }
    if (name == "rock_normal.tga") {
        out = makeRockNormalMap(makeRockSurface(kRockSize));
        return true;
    }
    if (name == "lightning2.tga") {
        out = makeLightningImage(kLightningSize);
        return true;
    }
    for (int face = 0; face < kSkyboxFaceCount; ++face) {
        if (name == skyboxName(face)) {
            out = makeSkyboxFace(face, kSkyboxFaceSize);
            return true;
        }
    }
    return false;
}

std::vector<GeneratedImage> generateImageSet() {
    // Every job fills its own slots, so the bytes do not depend on which
    // thread ran what. The rock job makes the surface once for both pictures.
    std::vector<GeneratedImage> images(imageSetNames().size());
    std::vector<std::function<void()>> jobs;
    jobs.push_back([&] {
        const RockSurface rock = makeRockSurface(kRockSize);
        images[1] = makeRockTexture(rock);
        images[2] = makeRockNormalMap(rock);
    });
    for (int face = 0; face < kSkyboxFaceCount; ++face)
        jobs.push_back([&images, face] { images[4 + face] = makeSkyboxFace(face, kSkyboxFaceSize); });
    jobs.push_back([&] { images[0] = makeSkyEnvironment(kEnvironmentSize); });
    jobs.push_back([&] { images[3] = makeLightningImage(kLightningSize); });

    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t job = next++; job < jobs.size(); job = next++) jobs[job]();
    };
#if defined(__EMSCRIPTEN__)
    work();  // the browser build has no threads
#else
    std::thread helper(work);
    work();
    helper.join();
#endif
    return images;
}

bool makeOutputDirectory(const std::string& directory, std::string* error) {
    std::error_code failure;
    std::filesystem::create_directories(directory, failure);
    if (!failure && std::filesystem::is_directory(directory)) return true;
    if (error) *error = "cannot create directory " + directory + (failure ? ": " + failure.message() : "");
    return false;
}

bool writeImageSet(const std::string& directory, const std::vector<GeneratedImage>& images, std::string* error) {
    if (!makeOutputDirectory(directory, error)) return false;
    for (const GeneratedImage& image : images) {
        const std::string path = (std::filesystem::path(directory) / image.name).string();
        if (!writeTga(path, image.width, image.height, image.components, image.pixels.data(), error)) return false;
    }
    return true;
}
