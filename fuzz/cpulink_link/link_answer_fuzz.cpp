// Arbitrary controller answers fed to a link. Byte 0 chooses the call (low bits) and
// whether the peer on 127.0.0.1 plays the connection confirm and the set-up answer from the
// input too (0x80; else it confirms and grants 240 bytes itself). The rest of the input,
// cut into TPKT frames by their length fields, answers the requests one frame each, in
// order, and the peer closes at the request after the last; an answer that leaves the link
// waiting costs its 50 ms answer time-out. Whatever arrives, the call must return a status
// without crashing or touching memory it does not own.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "cpulink.h"
#include "scripted_upload.h"

namespace {

constexpr uint8_t kHandshakeFromInput = 0x80;

// The input cut into frames: each takes the length its TPKT header gives (at least the
// header), the last whatever remains.
std::vector<std::vector<uint8_t>> Frames(const uint8_t* data, size_t size) {
    std::vector<std::vector<uint8_t>> frames;
    while (size > 0) {
        size_t length = size < 4 ? size : static_cast<size_t>(data[2] << 8 | data[3]);
        length = std::min(std::max<size_t>(length, 4), size);
        frames.emplace_back(data, data + length);
        data += length;
        size -= length;
    }
    return frames;
}

void RunCall(CpuConnection* record, uint8_t selector) {
    std::vector<uint8_t> buffer(4096);
    uint16_t length = 0, count16 = 0;
    int count = 0;
    uint16_t numbers[64];
    CpuClock clock{};
    uint32_t values[3] = {};
    VariableDescriptor bit{1, 0x83, 0x01, 3, 0, 1, 0, 10, &values[0]};
    VariableDescriptor word{3, 0x84, 0x04, 0, 0, 1, 1, 2, &values[1]};
    VariableDescriptor timer{6, 0x1D, 0x1D, 0, 0, 1, 0, 5, &values[2]};
    VariableDescriptor* variables[] = {&bit, &word, &timer};
    std::vector<uint8_t> image(200, 0);
    image[0] = image[1] = 0x70;
    image[5] = 0x0C;
    image[11] = 200;
    const std::function<void()> calls[] = {
        [&] { cpuLink_ReadSsl(record, 0x19, 0, &length, &count16, buffer.data(), 40); },
        [&] { cpuLink_GetBlockList(record, 2, 0, &count, numbers, 64); },
        [&] { cpuLink_UploadBlock(record, 3, 1, buffer.data(), uint32_t(buffer.size())); },
        [&] { cpuLink_DownloadBlock(record, image.data()); },
        [&] { cpuLink_GetClock(record, &clock); },
        [&] { cpuLink_ReadVariables(record, variables, 3); },
        [&] { cpuLink_WriteVariables(record, variables, 3); },
        [&] { cpuLink_Stop(record); },
        [&] { cpuLink_LogInW(record, L"ABC"); },
        [&] { cpuLink_DeleteBlock(record, 2, 5); },
        [&] { cpuLink_ReadSsl(record, 0xA0, 0, &length, &count16, buffer.data(), 2000); },
        [&] { cpuLink_CompressMemory(record, 300); },
    };
    calls[(selector & 0x7F) % 12]();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    auto answers = Frames(data + 1, size - 1);
    if ((data[0] & kHandshakeFromInput) == 0) {
        answers.insert(answers.begin(),
                       {vexal::testing::kConnectionConfirm, vexal::testing::kSetupAnswer});
    }
    std::vector<vexal::testing::ScriptedPeer::Step> script;
    for (auto& answer : answers) script.push_back({{std::move(answer)}});
    vexal::testing::ScriptedPeer peer(std::move(script));
    setenv("VEXAL_S7_PORT", std::to_string(peer.Port()).c_str(), 1);
    setenv("VEXAL_S7_TIMEOUT_MS", "50", 1);
    CpuConnection record{};
    cpuNet_InitConnection(&record);
    if (cpuNet_OpenConnection(&record, 0x0100007F) == CPULINK_OK) {
        RunCall(&record, data[0]);
        RunCall(&record, data[0] / 12);  // a second call on what the first left open
    }
    cpuLink_DestroyConnection(&record);
    return 0;
}
