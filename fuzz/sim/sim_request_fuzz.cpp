// Arbitrary client PDUs fed to one simulator session. The input is a sequence of PDUs,
// each behind a 2-byte big-endian length. Whatever arrives, the session must answer or
// ignore it without crashing, and every PDU it sends must fit the negotiated size. Each
// input starts from a fresh controller, so that a crash reproduces from its input alone.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fresh_controller.h"
#include "plc_controller.h"
#include "plc_session.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vexal::sim::PlcController& controller = FreshController();
    vexal::sim::PlcSession session(controller, 240);
    size_t at = 0;
    while (at + 2 <= size) {
        const size_t length = static_cast<size_t>(data[at] << 8 | data[at + 1]);
        at += 2;
        const size_t take = length < size - at ? length : size - at;
        std::vector<uint8_t> pdu(data + at, data + at + take);
        at += take;
        std::vector<vexal::sim::Bytes> answers;
        session.Handle(pdu.data(), pdu.size(), &answers);
        for (const auto& answer : answers) {
            if (answer.size() > session.PduSize()) std::abort();
        }
    }
    return 0;
}
