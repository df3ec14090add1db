// Block info: the header and trailer of a block the controller holds, without an upload.
#include <cstring>

#include "connection_record.h"
#include "link_jobs.h"
#include "wire_bytes.h"

namespace vexal::cpulink {
namespace {

constexpr uint8_t kSubfunctionBlockInfo = 0x03;
// Two type bytes, the length of the rest, two unknown bytes, then the image's 36-byte
// header and its last 36 bytes. Real CPUs put 01 00 where the type bytes go: not checked.
constexpr size_t kInfoHeaderOffset = 6;
constexpr size_t kImageEndSize = 36;
constexpr size_t kInfoSize = kInfoHeaderOffset + 36 + kImageEndSize;
constexpr size_t kNameSize = 8;
// A longer answer than a 315's is read as long as it is not absurd.
constexpr size_t kMaxInfoPayload = 1024;

uint64_t TimeStamp(const uint8_t* at) {
    return uint64_t{BigEndian32(at)} << 16 | BigEndian16(at + 4);
}

void CopyName(char* out, const uint8_t* field) {
    size_t length = kNameSize;
    while (length > 0 && (field[length - 1] == ' ' || field[length - 1] == 0)) --length;
    std::memcpy(out, field, length);
    out[length] = 0;
}

void DecodeInfo(const uint8_t* header, const uint8_t* end, CpuBlockInfo* info) {
    info->type = cpuLink_GetBlockType(header);
    info->number = BigEndian16(header + 6);
    info->flags = header[3];
    info->language = header[4];
    info->loadLength = BigEndian32(header + 8);
    info->codeTime = TimeStamp(header + 16);
    info->interfaceTime = TimeStamp(header + 22);
    info->localDataLength = BigEndian16(header + 32);
    info->codeLength = BigEndian16(header + 34);
    CopyName(info->author, end);
    CopyName(info->family, end + 8);
    CopyName(info->name, end + 16);
    info->version = end[24];
    info->checksum = BigEndian16(end + 26);
}

CpuStatus GetBlockInfo(LinkEngine& engine, int type, uint16_t number, CpuBlockInfo* info) {
    const std::string id = BlockId(type, number) + 'A';
    std::vector<uint8_t> payload;
    uint16_t error = 0;
    const CpuStatus status =
        engine.ReadUserdata(kGroupBlocks, kSubfunctionBlockInfo, {id.begin(), id.end()},
                            kMaxInfoPayload, &payload, &error);
    if (status != CPULINK_OK) return status;
    if (error != 0) return StatusOfControllerError(error);
    if (payload.size() < kInfoSize) return engine.ProtocolError();
    const uint8_t* header = payload.data() + kInfoHeaderOffset;
    DecodeInfo(header, header + 36, info);
    if (info->type != type || info->number != number) return engine.ProtocolError();
    return CPULINK_OK;
}

}  // namespace
}  // namespace vexal::cpulink

using namespace vexal::cpulink;

extern "C" CpuStatus cpuLink_GetBlockInfo(CpuConnection* record, int type, uint16_t number,
                                          CpuBlockInfo* info) {
    if (info != nullptr) *info = CpuBlockInfo{};
    return WithLink(record, [&](LinkEngine& engine) -> CpuStatus {
        if (BlockTypeLetter(type) == 0 || info == nullptr) return CPULINK_INVALID_ARGUMENT;
        return GetBlockInfo(engine, type, number, info);
    });
}
