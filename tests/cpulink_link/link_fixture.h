// A link to a simulated controller running in this process on 127.0.0.1, port 0.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "block_image.h"
#include "cpulink.h"
#include "loopback_simulator.h"

namespace vexal::testing {

constexpr uint32_t kLoopback = 0x0100007F;  // 127.0.0.1, first octet lowest
constexpr uint32_t kUploadBuffer = 135168;
constexpr uint8_t kInputs = 0x81, kOutputs = 0x82, kFlags = 0x83, kDb = 0x84;
constexpr uint8_t kCounters = 0x1C, kTimers = 0x1D;
constexpr uint8_t kBit = 0x01, kByte = 0x02, kWord = 0x04, kDword = 0x06;

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
        descriptor = {1, area, transportSize, bitOffset, 0, 1, dbNumber, byteOffset, &value};
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

// A system status list as cpuLink_ReadSsl delivers it.
struct StatusList {
    CpuStatus status = 0;
    uint16_t length = 0, count = 0;
    std::vector<uint8_t> records;
};

class LinkTest : public ::testing::Test {
protected:
    ~LinkTest() override {
        cpuLink_DestroyConnection(&record);
        if (simulator) simulator->Stop();
    }

    void StartSimulator(sim::SimOptions options = {}) {
        if (simulator) simulator->Stop();
        simulator = StartLoopbackSimulator(std::move(options));
        ASSERT_TRUE(simulator);
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
    uint64_t Requests() const { return simulator->RequestCount(); }

    CpuStatus Read(std::vector<Variable>& variables) {
        auto pointers = Pointers(variables);
        return cpuLink_ReadVariables(&record, pointers.data(), static_cast<int>(pointers.size()));
    }
    CpuStatus Write(std::vector<Variable>& variables) {
        auto pointers = Pointers(variables);
        return cpuLink_WriteVariables(&record, pointers.data(), static_cast<int>(pointers.size()));
    }

    // The uploaded image, empty unless the status is 0.
    std::vector<uint8_t> Upload(int type, uint16_t number, CpuStatus* status = nullptr) {
        std::vector<uint8_t> buffer(kUploadBuffer);
        const CpuStatus s =
            cpuLink_UploadBlock(&record, type, number, buffer.data(), kUploadBuffer);
        if (status != nullptr) *status = s;
        buffer.resize(s == CPULINK_OK ? BlockImageLength(buffer.data()) : 0);
        return buffer;
    }

    CpuStatus UploadStatus(int type, uint16_t number) {
        CpuStatus status = 0;
        Upload(type, number, &status);
        return status;
    }

    StatusList ReadList(uint16_t id, uint16_t index = 0, uint32_t size = 4000) {
        StatusList list;
        list.records.resize(size);
        list.status = cpuLink_ReadSsl(&record, id, index, &list.length, &list.count,
                                      list.records.data(), size);
        return list;
    }

    CpuConnection record{};
    std::unique_ptr<sim::Simulator> simulator;
};

}  // namespace vexal::testing
