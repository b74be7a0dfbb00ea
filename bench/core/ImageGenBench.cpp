// Making the program's pictures: the whole set, and the set written to disk
// as the build does it.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tools/imagegen/ImageSet.h"

namespace {

void BM_GenerateImageSet(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<GeneratedImage> images = generateImageSet();
        benchmark::DoNotOptimize(images.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GenerateImageSet)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GenerateAndWriteImageSet(benchmark::State& state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        state.SkipWithError("cannot make a temporary directory");
        return;
    }
    const std::string directory = pattern;
    for (auto _ : state) {
        std::string error;
        if (!writeImageSet(directory, generateImageSet(), &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
}
BENCHMARK(BM_GenerateAndWriteImageSet)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
