// Wall-clock time of a piece of work, for the benchmarks.
#pragma once

#include <chrono>
#include <functional>

namespace vexal::testing {

inline double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace vexal::testing
