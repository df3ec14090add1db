// vexal-plcsim: a simulated S7-300 controller on ISO-on-TCP, for practice and for tests.
// Prints "listening on ADDR:PORT" for each listener when ready; ends on SIGINT or SIGTERM
// with exit 0 after writing the dump, exit 2 on bad options, exit 1 when it cannot start.
#include <cstdio>
#include <string>

#include "discovery_responder.h"
#include "sim_publish.h"
#include "simulator.h"
#include "termination_signals.h"

int main(int argc, char** argv) {
    vexal::platform::BlockTerminationSignals();
    vexal::sim::SimOptions options;
    std::string error;
    if (!vexal::sim::ParseSimOptions(argc - 1, argv + 1, &options, &error)) {
        std::fprintf(stderr, "vexal-plcsim: %s\n%s", error.c_str(), vexal::sim::kSimUsage);
        return 2;
    }
    vexal::sim::Simulator simulator(options);
    if (!simulator.Start(&error)) {
        std::fprintf(stderr, "vexal-plcsim: %s\n", error.c_str());
        return 1;
    }
    if (!vexal::sim::PublishOnMpiBus(options, simulator.Addresses().front(), &error)) {
        std::fprintf(stderr, "vexal-plcsim: %s\n", error.c_str());
        return 1;
    }
    vexal::discovery::DiscoveryResponder discovery;
    if (!options.discoveryInterface.empty() &&
        !discovery.Start(options.discoveryInterface.c_str(), options.discoveryIp.c_str(),
                         options.discoveryMask.c_str())) {
        std::fprintf(stderr, "vexal-plcsim: cannot answer discovery on %s\n",
                     options.discoveryInterface.c_str());
        return 1;
    }
    for (const std::string& address : simulator.Addresses()) {
        std::printf("listening on %s\n", address.c_str());
    }
    std::fflush(stdout);
    vexal::platform::WaitForTerminationSignal();
    simulator.Stop();
    if (!simulator.WriteDumpIfAsked()) {
        std::fprintf(stderr, "vexal-plcsim: cannot write %s\n", options.dumpFile.c_str());
        return 1;
    }
    return 0;
}
