// A simulator on 127.0.0.1 port 0 with a raw ISO-on-TCP client, for tests that check the
// bytes the simulator sends.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "loopback_simulator.h"
#include "raw_iso.h"

namespace vexal::testing {

class SimFixture : public ::testing::Test {
protected:
    void Start(sim::SimOptions options = {}) {
        simulator = StartLoopbackSimulator(std::move(options));
        ASSERT_TRUE(simulator);
    }
    void StartAndOpen(sim::SimOptions options = {}, uint16_t pdu = 960) {
        Start(std::move(options));
        ASSERT_TRUE(client.Open(simulator->Port(), pdu));
    }
    // Ends the session and the simulator, for tests that start another.
    void Restart() {
        client = RawIsoClient();
        simulator.reset();
    }
    std::string Ask(const std::string& pdu) { return ToHex(client.Exchange(Frame(Hex(pdu)))); }

    // A userdata request and its follow-ups: the payload of every answer fragment. *error
    // receives the error field of the last answer.
    std::vector<Bytes> AskUserdata(uint8_t group, uint8_t subfunction, const Bytes& payload,
                                   uint16_t* error) {
        std::vector<Bytes> fragments;
        Bytes request = UserdataRequest(group, subfunction, payload);
        for (int i = 0; i < 100; ++i) {
            const Bytes answer = client.Exchange(Frame(request));
            if (answer.size() < 33) return fragments;
            const uint8_t* param = answer.data() + 17;
            *error = static_cast<uint16_t>(param[10] << 8 | param[11]);
            const size_t length =
                std::min<size_t>(answer[31] << 8 | answer[32], answer.size() - 33);
            fragments.emplace_back(answer.begin() + 33, answer.begin() + 33 + length);
            if (param[9] == 0) return fragments;
            const uint8_t function = static_cast<uint8_t>(0x40 | group);
            request = Pdu(
                0x07, {0x00, 0x01, 0x12, 0x08, 0x12, function, subfunction, param[7], 0, 0, 0, 0},
                {0x0A, 0x00, 0x00, 0x00});
        }
        return fragments;
    }

    std::unique_ptr<sim::Simulator> simulator;
    RawIsoClient client;
};

}  // namespace vexal::testing
