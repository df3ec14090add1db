// Arbitrary bytes on a simulator connection, delivered in pieces: the first input byte
// sets the piece size. Whatever arrives, the framing must confirm, reassemble or close
// without crashing, and every frame sent back must fit the TPDU size of the connection.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fresh_controller.h"
#include "iso_framing.h"
#include "plc_controller.h"
#include "plc_session.h"

namespace {

using vexal::sim::Bytes;
using vexal::sim::IsoFraming;

void CheckFrame(const uint8_t* frame, size_t size, size_t tpduSize) {
    if (size < 7 || size != size_t(frame[2] << 8 | frame[3]) || size - 4 > tpduSize ||
        size_t{frame[4]} + 1 > size - 4) {
        std::abort();
    }
}

void CheckFrame(const Bytes& frame, size_t tpduSize) {
    CheckFrame(frame.data(), frame.size(), tpduSize);
}

// Frames sent back to back: each TPKT length must lead exactly to the next frame.
void CheckFrames(const Bytes& wire, size_t tpduSize) {
    for (size_t at = 0; at < wire.size();) {
        if (wire.size() - at < 4) std::abort();
        const size_t size = size_t(wire[at + 2] << 8 | wire[at + 3]);
        if (size > wire.size() - at) std::abort();
        CheckFrame(wire.data() + at, size, tpduSize);
        at += size;
    }
}

// Hands out every event of the framing; false once the connection ends.
bool Drain(IsoFraming& framing, vexal::sim::PlcSession& session) {
    for (;;) {
        Bytes unit;
        const IsoFraming::Event event = framing.Next(&unit);
        if (event == IsoFraming::Event::kNeedMore) return true;
        if (event == IsoFraming::Event::kClose) return false;
        if (event == IsoFraming::Event::kConfirm) {
            CheckFrame(unit, 1024);
            continue;
        }
        std::vector<Bytes> answers;
        session.Handle(unit.data(), unit.size(), &answers);
        for (const Bytes& answer : answers) {
            if (answer.size() > session.PduSize()) std::abort();
            Bytes wire;
            vexal::sim::AppendS7Frames(answer, framing.TpduSize(), &wire);
            CheckFrames(wire, framing.TpduSize());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    vexal::sim::PlcController& controller = FreshController();
    vexal::sim::PlcSession session(controller, 960);
    IsoFraming framing;
    const size_t piece = data[0] == 0 ? size : data[0];
    for (size_t at = 1; at < size; at += piece) {
        framing.Append(data + at, std::min(piece, size - at));
        if (!Drain(framing, session)) break;
    }
    return 0;
}
