// Building and validating a move plan: n list entries into a folder of n files of
// which n / 10 carry an entry's name. The plan is sorted and merged, so the time per
// entry should grow with log n only; compare the per-entry times across sizes.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "fileops/move_plan.h"
#include "tests/support/memory_filesystem.h"

namespace {

struct Scene {
    testing_support::MemoryFileSystem fs;
    std::vector<std::string> sources;
};

Scene& SceneOf(size_t n)
{
    static std::vector<std::unique_ptr<Scene>> scenes;
    for (const auto& scene : scenes)
        if (scene->sources.size() == n)
            return *scene;
    auto scene = std::make_unique<Scene>();
    scene->fs.AddFolder("C:\\dst");
    for (size_t i = 0; i < n; ++i) {
        std::string name = "IMG_" + std::to_string(i * 7919 % 1000003) + (i % 3 ? ".jpg" : ".JPG");
        scene->sources.push_back("C:\\src\\" + name);
        scene->fs.AddFile(scene->sources.back());
        // Every tenth entry meets a file of its name; the rest of the folder differs.
        scene->fs.AddFile(i % 10 == 0 ? "C:\\dst\\" + name : "C:\\dst\\old_" + std::to_string(i) + ".jpg");
    }
    scenes.push_back(std::move(scene));
    return *scenes.back();
}

void BM_BuildAndValidate(benchmark::State& state)
{
    const size_t n = static_cast<size_t>(state.range(0));
    Scene& scene = SceneOf(n);
    const lists::FilterPattern filter("*.jpg");
    for (auto _ : state) {
        fileops::MovePlan plan = fileops::MovePlan::Build(scene.sources, "C:\\dst\\", filter, {}, scene.fs);
        benchmark::DoNotOptimize(plan.Validate());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
}
BENCHMARK(BM_BuildAndValidate)->Arg(1000)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

void BM_RenameByTemplate(benchmark::State& state)
{
    const size_t n = static_cast<size_t>(state.range(0));
    Scene& scene = SceneOf(n);
    const lists::FilterPattern filter("*.jpg");
    for (auto _ : state) {
        fileops::MovePlan plan =
            fileops::MovePlan::Build(scene.sources, "C:\\dst\\", filter, "%w%5c_%Y%M%D.%ie", scene.fs);
        benchmark::DoNotOptimize(plan.Validate());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
}
BENCHMARK(BM_RenameByTemplate)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
