// A link to a simulated controller running in this process on 127.0.0.1, port 0.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cpulink.h"
#include "simulator.h"

namespace vexal::testing {

constexpr uint32_t kLoopback = 0x0100007F;  // 127.0.0.1, first octet lowest

inline void SetLinkSettings(uint16_t port, int answerTimeoutMs = 3000, int connectMs = 3000) {
    setenv("VEXAL_S7_PORT", std::to_string(port).c_str(), 1);
    setenv("VEXAL_S7_TIMEOUT_MS", std::to_string(answerTimeoutMs).c_str(), 1);
    setenv("VEXAL_S7_CONNECT_MS", std::to_string(connectMs).c_str(), 1);
}

// A variable descriptor filled by hand, with its own value word.
struct Variable {
    VariableDescriptor descriptor{};
    uint32_t value = 0;

    Variable(uint8_t area, uint8_t transportSize, uint32_t byteOffset, uint16_t dbNumber = 0,
             uint8_t bitOffset = 0) {
        descriptor.kind = 1;
        descriptor.area = area;
        descriptor.transportSize = transportSize;
        descriptor.byteOffset = byteOffset;
        descriptor.bitOffset = bitOffset;
        descriptor.dbNumber = dbNumber;
        descriptor.elementCount = 1;
        descriptor.value = &value;
    }
    Variable(const Variable& other) : descriptor(other.descriptor), value(other.value) {
        descriptor.value = &value;
    }
    // The first n bytes of the value word, in controller order.
    std::vector<uint8_t> Bytes(size_t n) const {
        const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
        return std::vector<uint8_t>(bytes, bytes + n);
    }
    void SetBytes(std::vector<uint8_t> bytes) {
        bytes.resize(4, 0);
        std::memcpy(&value, bytes.data(), 4);
    }
};

inline std::vector<VariableDescriptor*> Pointers(std::vector<Variable>& variables) {
    std::vector<VariableDescriptor*> pointers;
    for (Variable& v : variables) pointers.push_back(&v.descriptor);
    return pointers;
}

class LinkTest : public ::testing::Test {
protected:
    ~LinkTest() override {
        cpuLink_DestroyConnection(&record);
        if (simulator) simulator->Stop();
    }

    void StartSimulator(sim::SimOptions options = {}) {
        options.listen = {{"127.0.0.1", 0}};
        simulator = std::make_unique<sim::Simulator>(options);
        std::string error;
        ASSERT_TRUE(simulator->Start(&error)) << error;
        SetLinkSettings(simulator->Port());
    }

    CpuStatus Open() {
        cpuNet_InitConnection(&record);
        return cpuNet_OpenConnection(&record, kLoopback);
    }

    void StartAndOpen(sim::SimOptions options = {}) {
        StartSimulator(std::move(options));
        ASSERT_EQ(Open(), CPULINK_OK);
    }

    sim::PlcController& Controller() { return simulator->Controller(); }

    CpuConnection record{};
    std::unique_ptr<sim::Simulator> simulator;
};

}  // namespace vexal::testing
