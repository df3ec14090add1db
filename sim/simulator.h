// A complete simulated controller, served on every listen address; or, with MPI stations,
// one controller per station behind the listeners, as behind an Ethernet-to-MPI gateway.
// Tests run one in-process on 127.0.0.1 port 0.
#pragma once

#include <map>
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
    // The controller, or the lowest MPI station's.
    PlcController& Controller() { return *controllers_.begin()->second; }
    // The controller of an MPI station; null when there is no such station.
    PlcController* Station(int mpiAddress);
    // Writes the dump file of the options, if one was named, from Controller().
    bool WriteDumpIfAsked();

private:
    SimOptions options_;
    // By MPI address; without MPI stations one controller under -1.
    std::map<int, std::unique_ptr<PlcController>> controllers_;
    std::unique_ptr<PlcServer> server_;
};

}  // namespace vexal::sim
