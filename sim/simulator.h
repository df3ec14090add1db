// A complete simulated controller: the controller model with its program, served on
// every listen address. Tests run one in-process on 127.0.0.1 port 0.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "plc_controller.h"
#include "plc_server.h"
#include "sim_options.h"

namespace vexal::sim {

class Simulator {
public:
    explicit Simulator(const SimOptions& options);
    ~Simulator() { Stop(); }

    // Loads the program and starts listening; false with *error when either fails.
    bool Start(std::string* error);
    void Stop();

    std::vector<std::string> Addresses() const { return server_->Addresses(); }
    uint16_t Port() const { return server_->Port(); }
    uint64_t RequestCount() const { return server_->RequestCount(); }
    size_t ConnectionCount() { return server_->ConnectionCount(); }
    PlcController& Controller() { return *controller_; }
    // Writes the dump file of the options, if one was named.
    bool WriteDumpIfAsked();

private:
    SimOptions options_;
    std::unique_ptr<PlcController> controller_;
    std::unique_ptr<PlcServer> server_;
};

}  // namespace vexal::sim
