// Cost of generating the sample data set (it runs with every build, so it should stay within a
// few seconds) and of its larger pieces.
#include "tools/datagen/DataSet.h"
#include "tools/datagen/Md3Writer.h"
#include "tools/datagen/Pk3Writer.h"
#include "tools/datagen/PlayerModelBuilder.h"
#include "tools/datagen/TextureSynthesis.h"

#include <benchmark/benchmark.h>

#include <filesystem>

static void BM_GenerateWholeDataSet(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() / "testbed_bench_data";
    for (auto _ : state) {
        benchmark::DoNotOptimize(DataSet::generate(dir.string(), nullptr, false));
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_GenerateWholeDataSet)->Unit(benchmark::kMillisecond)->Iterations(2);

static void BM_BuildOnePlayer(benchmark::State& state) {
    const PlayerStyle& style = PlayerModelBuilder::styles()[15];
    for (auto _ : state) benchmark::DoNotOptimize(PlayerModelBuilder::build(style));
}
BENCHMARK(BM_BuildOnePlayer)->Unit(benchmark::kMillisecond);

static void BM_EncodeLegsOfOnePlayer(benchmark::State& state) {
    const PlayerModel model = PlayerModelBuilder::build(PlayerModelBuilder::styles()[15]);
    size_t bytes = 0;
    for (auto _ : state) {
        const auto encoded = Md3Writer::encode(model.lower);
        bytes += encoded.size();
        benchmark::DoNotOptimize(encoded.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_EncodeLegsOfOnePlayer)->Unit(benchmark::kMillisecond);

static void BM_ReflectionMap(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(TextureSynthesis::oceanReflection(256));
}
BENCHMARK(BM_ReflectionMap)->Unit(benchmark::kMillisecond);
