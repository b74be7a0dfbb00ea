// Making the program's pictures: the whole set, and the set written to disk
// as the build does it.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "tests/support/TempDirectory.h"
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
    const TempDirectory directory("orvane-bench");
    if (!directory.valid()) {
        state.SkipWithError("cannot make a temporary directory");
        return;
    }
    for (auto _ : state) {
        std::string error;
        if (!writeImageSet(directory.path(), generateImageSet(), &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
}
BENCHMARK(BM_GenerateAndWriteImageSet)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
