// Making the simulator findable: its station line on an MPI bus file, and answers to
// Ethernet discovery on an interface.
#pragma once

#include <string>

#include "sim_options.h"

namespace vexal::sim {

// Publishes the first listener ("ADDR:PORT" as bound) as the station of --mpi-address in
// the --mpi-bus file. A listener on every address is published as 127.0.0.1.
bool PublishOnMpiBus(const SimOptions& options, const std::string& boundAddress,
                     std::string* error);

}  // namespace vexal::sim
