// Block image lengths from 200 bytes up to a largest one, spread evenly and the same in
// every run, for benchmarks that move a realistic mix of blocks.
#pragma once

#include <cstdint>
#include <vector>

namespace vexal::bench {

inline std::vector<uint32_t> SpreadBlockLengths(int count, uint32_t largest) {
    std::vector<uint32_t> lengths;
    uint32_t state = 12345;
    for (int i = 0; i < count; ++i) {
        state = state * 1664525u + 1013904223u;
        lengths.push_back(200 + (state >> 8) % (largest - 200 + 1));
    }
    return lengths;
}

}  // namespace vexal::bench
