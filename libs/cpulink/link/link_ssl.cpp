// Reading a system status list, reassembled from all fragments of the answer.
#include <algorithm>
#include <cstring>

#include "connection_record.h"
#include "wire_bytes.h"

namespace vexal::cpulink {
namespace {

constexpr uint8_t kSubfunctionReadSsl = 0x01;
constexpr size_t kSslHeaderSize = 8;  // list id, index, record length, record count
constexpr size_t kMaxSslPayload = 1024 * 1024;

bool IsHeaderOnlyList(uint16_t listId) {
    return (listId & 0x0F00) == 0x0F00;
}

CpuStatus ReadSsl(LinkEngine& engine, uint16_t listId, uint16_t index, uint16_t* recordLength,
                  uint16_t* recordCount, uint8_t* buffer, uint32_t size) {
    const std::vector<uint8_t> request = {
        static_cast<uint8_t>(listId >> 8), static_cast<uint8_t>(listId),
        static_cast<uint8_t>(index >> 8), static_cast<uint8_t>(index)};
    std::vector<uint8_t> payload;
    uint16_t error = 0;
    const size_t maxPayload = kSslHeaderSize + std::max<size_t>(size, 65536);
    CpuStatus status = engine.ReadUserdata(kGroupCpu, kSubfunctionReadSsl, request,
                                           std::min(maxPayload, kMaxSslPayload), &payload, &error);
    if (status != CPULINK_OK) return status;
    if (error != 0) return StatusOfControllerError(error);
    if (payload.size() < kSslHeaderSize) return engine.ProtocolError();
    const uint16_t length = BigEndian16(&payload[4]);
    const uint16_t count = BigEndian16(&payload[6]);
    const size_t recordBytes = payload.size() - kSslHeaderSize;
    *recordLength = length;
    if (IsHeaderOnlyList(listId)) {
        *recordCount = count;
        return CPULINK_OK;
    }
    if (static_cast<size_t>(length) * count > recordBytes) return engine.ProtocolError();
    const size_t fitting = length == 0 ? count : std::min<size_t>(count, size / length);
    if (fitting > 0 && length > 0) std::memcpy(buffer, &payload[kSslHeaderSize], fitting * length);
    *recordCount = static_cast<uint16_t>(fitting);
    return fitting < count ? CPULINK_MORE_ENTRIES : CPULINK_OK;
}

}  // namespace
}  // namespace vexal::cpulink

using namespace vexal::cpulink;

extern "C" CpuStatus cpuLink_ReadSsl(CpuConnection* record, uint16_t listId, uint16_t index,
                                     uint16_t* recordLength, uint16_t* recordCount, uint8_t* buffer,
                                     uint32_t size) {
    if (recordLength != nullptr) *recordLength = 0;
    if (recordCount != nullptr) *recordCount = 0;
    return WithLink(record, [&](LinkEngine& engine) -> CpuStatus {
        if (recordLength == nullptr || recordCount == nullptr || (buffer == nullptr && size > 0)) {
            return CPULINK_INVALID_ARGUMENT;
        }
        return ReadSsl(engine, listId, index, recordLength, recordCount, buffer, size);
    });
}
