// Scan time against the protocol's floor: two passes that each end after 160 ms without an
// answer, plus the answers themselves, which the scripted segment gives at once. The
// counter ratio_to_floor is the scan time over 320 ms; the target is at most 1.1.
#include <benchmark/benchmark.h>

#include <chrono>

#include "eth_discovery.h"
#include "scripted_net.h"

namespace {

constexpr double kFloorSeconds = 0.320;

void ScanTime(benchmark::State& state) {
    const int stationCount = static_cast<int>(state.range(0));
    auto net = vexal::testing::ScriptedNet::Install();
    for (int i = 0; i < stationCount; ++i) {
        net->stations.push_back(
            vexal::testing::Station(i + 2, {192, 168, 0, static_cast<uint8_t>(i + 2)}));
    }
    vexal::CEthDiscovery engine;
    if (!engine.StartDiscovery()) {
        state.SkipWithError("the engine did not start");
        return;
    }
    static vexal::StationTable table;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const bool scanned = engine.Scan(L"scr0", &table);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!scanned || table.Count() != stationCount) {
            state.SkipWithError("the scan did not find every station");
            return;
        }
    }
    state.counters["ratio_to_floor"] =
        seconds / static_cast<double>(state.iterations()) / kFloorSeconds;
}

BENCHMARK(ScanTime)
    ->ArgName("stations")
    ->Arg(0)
    ->Arg(1)
    ->Arg(10)
    ->Arg(50)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
