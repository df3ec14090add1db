// A controller as vexal-plcsim starts it with the demo program, put back into that state
// for every fuzz input so that a crash reproduces from its input alone. The program is
// loaded again only when an input changed it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "plc_controller.h"

inline vexal::sim::PlcController& FreshController() {
    static const auto controller =
        std::make_unique<vexal::sim::PlcController>(vexal::sim::SimOptions{});
    static uint64_t loaded = UINT64_MAX;
    if (controller->ProgramChanges() != loaded) {
        std::string error;
        controller->LoadProgram("", &error);
        loaded = controller->ProgramChanges();
    }
    controller->PowerOn();
    return *controller;
}
