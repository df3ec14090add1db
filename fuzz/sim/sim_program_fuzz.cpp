// Arbitrary block images as a program of the simulator: the input is a sequence of
// images, each as long as its length field says (cut to the input). With whatever the
// header fields claim, the controller and its block services must neither crash nor
// deliver other bytes than it stored: every block is listed, its info read and it is
// uploaded whole; the memory lists and the dump are built.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "block_store.h"
#include "plc_controller.h"
#include "plc_session.h"
#include "s7_pdu.h"
#include "sim_dump.h"

namespace {

using vexal::sim::Bytes;
using vexal::testing::Pdu;
using vexal::testing::UserdataRequest;

constexpr char kTypeLetters[] = "8ECAB";

Bytes FileName(char state, int type, uint16_t number) {
    const std::string name =
        std::string("0") + kTypeLetters[type] + std::to_string(100000 + number).substr(1) + state;
    return Bytes(name.begin(), name.end());
}

Bytes Ask(vexal::sim::PlcSession& session, const Bytes& pdu) {
    std::vector<Bytes> answers;
    session.Handle(pdu.data(), pdu.size(), &answers);
    if (answers.size() != 1 || answers[0].size() > session.PduSize()) std::abort();
    return answers[0];
}

// The block uploaded chunk by chunk, as a client does.
Bytes Upload(vexal::sim::PlcSession& session, int type, uint16_t number) {
    Bytes start = {0x1D, 0, 0, 0, 0, 0, 0, 0, 9, '_'};
    const Bytes name = FileName('A', type, number);
    start.insert(start.end(), name.begin(), name.end());
    const Bytes started = Ask(session, Pdu(0x01, start, {}));
    if (started[1] != 0x03 || started.size() < 20) std::abort();
    Bytes job = {0x1E, 0, 0, 0, started[16], started[17], started[18], started[19]};
    Bytes image;
    for (;;) {
        const Bytes chunk = Ask(session, Pdu(0x01, job, {}));
        if (chunk[1] != 0x03 || chunk.size() < 18) std::abort();
        image.insert(image.end(), chunk.begin() + 18, chunk.end());
        if (chunk[13] == 0) break;
    }
    job[0] = 0x1F;
    Ask(session, Pdu(0x01, job, {}));
    return image;
}

void LoadImages(vexal::sim::PlcController& controller, const uint8_t* data, size_t size) {
    size_t at = 0;
    while (size - at >= vexal::kBlockHeaderSize) {
        const uint32_t claimed = vexal::BlockImageLength(data + at);
        const size_t length = std::max<size_t>(
            vexal::kBlockHeaderSize,
            std::min<size_t>({size_t{claimed}, size - at, size_t{vexal::kMaxBlockImage}}));
        Bytes image(data + at, data + at + length);
        image[8] = static_cast<uint8_t>(length >> 24);
        image[9] = static_cast<uint8_t>(length >> 16);
        image[10] = static_cast<uint8_t>(length >> 8);
        image[11] = static_cast<uint8_t>(length);
        controller.InsertBlock(image);
        at += length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One stopped controller, emptied by a memory reset for each input.
    static const auto controller = [] {
        vexal::sim::SimOptions options;
        options.mode = vexal::sim::OperatingMode::kStop;
        return std::make_unique<vexal::sim::PlcController>(options);
    }();
    controller->PowerOn();
    controller->MemoryReset();
    LoadImages(*controller, data, size);
    vexal::sim::PlcSession session(*controller, 240);
    Ask(session, Pdu(0x01, {0xF0, 0, 0, 1, 0, 1, 0x00, 0xF0}, {}));
    Ask(session, UserdataRequest(3, 0x01, {}));
    for (int type = 0; type < 5; ++type) {
        Ask(session, UserdataRequest(3, 0x02, {'0', static_cast<uint8_t>(kTypeLetters[type])}));
    }
    for (const uint16_t list : {0x0013, 0x001B}) {
        Ask(session, UserdataRequest(4, 0x01, {0, static_cast<uint8_t>(list), 0, 0}));
    }
    const vexal::BlockStore& blocks = controller->Blocks();
    for (int position = 0; position < blocks.BlockCount(); ++position) {
        const int type = blocks.EntryAt(position).type;
        const uint16_t number = blocks.EntryAt(position).number;
        Ask(session, UserdataRequest(3, 0x03, FileName('A', type, number)));
        if (Upload(session, type, number) != controller->CurrentImage(type, number)) std::abort();
    }
    vexal::sim::DumpJson(*controller);
    return 0;
}
