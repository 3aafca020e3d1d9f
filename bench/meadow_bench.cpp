// The cost of the meadow: a tick in steady state (after 2000 ticks, the settings of a fresh
// installation) on the ordinary and the literal frame path, the layout pass, and the memory held
// per screen pixel. One thread; the headless platform presents nothing and draws its text as
// plain marks, so what is measured is the system's own work.
//
//   petalstream-bench --benchmark_min_time=2
#include <benchmark/benchmark.h>

#include <sys/mman.h>

#include <chrono>
#include <memory>

#include "animation/frmMain.h"
#include "headless.h"

namespace {

using namespace ps;

constexpr int kWarmUp = 2000;
constexpr std::uint64_t kSeed = 42;

struct Scene {
  headless::HeadlessPlatform os{headless::sourceResources()};
  std::unique_ptr<headless::Meadow> meadow;
  Scene(int w, int h, int warmUp) {
    os.screen = SizeF{static_cast<float>(w), static_cast<float>(h)};
    meadow = std::make_unique<headless::Meadow>(os, kSeed, w, h);
    for (int t = 0; t < warmUp; ++t) meadow->tick();
  }
};

// One tick; arguments: width, height, literal (1) or ordinary (0) frame path.
void BM_Tick(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  Scene scene(w, h, kWarmUp);
  frmMain& m = scene.meadow->main();
  m.compositor.setLiteral(state.range(2) != 0);
  for (auto _ : state) scene.meadow->tick();
  // The slots at the end, and how many of them grow (are drawn in every frame).
  int growing = 0, slots = scene.meadow->process().LastFlower + 1;
  for (int i = 0; i < slots; ++i) {
    const Flower& f = m.Flowers[static_cast<size_t>(i)];
    growing += f.State == -1 && f.Planted == 0;
  }
  state.counters["slots"] = slots;
  state.counters["growing"] = growing;
  state.SetLabel(m.compositor.literal() ? "literal: two whole-frame copies"
                                        : "ordinary: what changed");
}

// One tick of the ordinary path as the running program meets it: between two ticks, 20 ms of
// other programs have pushed the meadow's memory out of the caches. Each tick is timed alone,
// after a walk over 64 MB that leaves nothing of the last tick in the caches or the page-table
// cache (TLB).
void BM_ColdTick(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  Scene scene(w, h, kWarmUp);
  // In small pages whatever the system's default, so that the walk also empties the TLB.
  const std::size_t n = std::size_t{64} << 17;
  void* m = mmap(nullptr, n * 8, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) {
    state.SkipWithError("no memory for the walk");
    return;
  }
  madvise(m, n * 8, MADV_NOHUGEPAGE);
  auto* other = static_cast<std::uint64_t*>(m);
  std::uint64_t sum = 0;
  for (auto _ : state) {
    for (std::size_t i = 0; i < n; i += 8) sum += other[i]++;
    const auto t0 = std::chrono::steady_clock::now();
    scene.meadow->tick();
    const auto t1 = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
  }
  benchmark::DoNotOptimize(sum);
  munmap(m, n * 8);
}

// The layout pass of a window that has run a while, for each background (the desktop image,
// taken at the first pass, is not taken again).
void BM_LayoutPass(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  Scene scene(w, h, 10);
  frmMain& m = scene.meadow->main();
  Settings& s = scene.meadow->process().settings;
  s.RandomBack = kFalse;
  s.Background = static_cast<i16>(state.range(2));
  for (auto _ : state) m.Form_Resize();
  static const char* const names[] = {"black", "blue", "green", "desktop"};
  state.SetLabel(names[state.range(2)]);
}

// The first layout pass of a new window: loading, decoding and scaling the sprites included.
void BM_FirstLayoutPass(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  for (auto _ : state) {
    Scene scene(w, h, 0);
    benchmark::DoNotOptimize(scene.meadow->main().window().data());
  }
}

// Bytes held by the window's surfaces and sprites, per screen pixel and fixed.
void BM_Memory(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  Scene scene(w, h, kWarmUp);
  frmMain& m = scene.meadow->main();
  for (auto _ : state) benchmark::DoNotOptimize(m.bytesHeld());
  const double pixels = static_cast<double>(w) * h;
  const double surfaces = static_cast<double>(m.compositor.bytes() + m.imgBG.bytes());
  state.counters["bytes_per_pixel"] = surfaces / pixels;
  state.counters["all_bytes_per_pixel"] = static_cast<double>(m.bytesHeld()) / pixels;
  state.counters["fixed_MB"] = (static_cast<double>(m.bytesHeld()) - surfaces) / 1e6;
}

BENCHMARK(BM_Tick)
    ->ArgNames({"w", "h", "literal"})
    ->Args({1920, 1080, 0})
    ->Args({1920, 1080, 1})
    ->Args({3840, 2160, 0})
    ->Args({3840, 2160, 1})
    ->Iterations(3000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ColdTick)
    ->ArgNames({"w", "h"})
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Iterations(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayoutPass)
    ->ArgNames({"w", "h", "background"})
    ->Args({1920, 1080, 0})
    ->Args({1920, 1080, 1})
    ->Args({1920, 1080, 2})
    ->Args({1920, 1080, 3})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstLayoutPass)
    ->ArgNames({"w", "h"})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memory)->ArgNames({"w", "h"})->Args({1920, 1080})->Args({3840, 2160})->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
