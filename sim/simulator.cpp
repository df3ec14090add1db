#include "simulator.h"

#include "sim_dump.h"

namespace vexal::sim {

namespace {

constexpr int kAnyStation = -1;

}  // namespace

Simulator::Simulator(const SimOptions& options) : options_(options) {
    if (options.mpiStations.empty()) {
        controllers_[kAnyStation] = std::make_unique<PlcController>(options);
    }
    for (const int address : options.mpiStations) {
        controllers_[address] = std::make_unique<PlcController>(options);
    }
    server_ = std::make_unique<PlcServer>(
        [this](int rackSlot) {
            return options_.mpiStations.empty() ? &Controller() : Station(rackSlot);
        },
        options);
}

bool Simulator::Start(std::string* error) {
    for (auto& [address, controller] : controllers_) {
        if (!controller->LoadProgram(options_.programFile, error)) return false;
    }
    return server_->Start(error);
}

void Simulator::Stop() {
    server_->Stop();
}

PlcController* Simulator::Station(int mpiAddress) {
    if (mpiAddress < 0) return nullptr;
    const auto found = controllers_.find(mpiAddress);
    return found == controllers_.end() ? nullptr : found->second.get();
}

bool Simulator::WriteDumpIfAsked() {
    return options_.dumpFile.empty() || WriteDump(Controller(), options_.dumpFile);
}

}  // namespace vexal::sim
