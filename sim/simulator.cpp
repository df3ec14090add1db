#include "simulator.h"

#include "sim_dump.h"

namespace vexal::sim {

Simulator::Simulator(const SimOptions& options)
    : options_(options),
      controller_(std::make_unique<PlcController>(options)),
      server_(std::make_unique<PlcServer>(*controller_, options)) {}

bool Simulator::Start(std::string* error) {
    return controller_->LoadProgram(options_.programFile, error) && server_->Start(error);
}

void Simulator::Stop() {
    server_->Stop();
}

bool Simulator::WriteDumpIfAsked() {
    return options_.dumpFile.empty() || WriteDump(*controller_, options_.dumpFile);
}

}  // namespace vexal::sim
