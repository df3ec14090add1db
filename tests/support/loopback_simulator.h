// Starts an in-process simulator on a free loopback port and points the library at it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "simulator.h"

namespace vexal::testing {

inline sim::SimOptions LoopbackOptions(sim::SimOptions options = {}) {
    options.listen = {{"127.0.0.1", 0}};
    return options;
}

// False, with the reason on stderr, when the simulator did not start.
inline bool StartOnLoopback(sim::Simulator& simulator) {
    std::string error;
    if (!simulator.Start(&error)) {
        std::fprintf(stderr, "the simulator did not start: %s\n", error.c_str());
        return false;
    }
    setenv("VEXAL_S7_PORT", std::to_string(simulator.Port()).c_str(), 1);
    return true;
}

// A started simulator, or nullptr when it did not start.
inline std::unique_ptr<sim::Simulator> StartLoopbackSimulator(sim::SimOptions options = {}) {
    auto simulator = std::make_unique<sim::Simulator>(LoopbackOptions(std::move(options)));
    return StartOnLoopback(*simulator) ? std::move(simulator) : nullptr;
}

}  // namespace vexal::testing
