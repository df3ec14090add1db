// Reading and writing variables: as many items per job as the negotiated PDU carries.
#include <cstring>

#include "connection_record.h"
#include "wire_bytes.h"

namespace vexal::cpulink {
namespace {

constexpr uint8_t kFunctionRead = 0x04;
constexpr uint8_t kFunctionWrite = 0x05;
// CPUs refuse jobs of more than 20 items whatever the PDU size.
constexpr size_t kMaxItemsPerJob = 20;
constexpr size_t kItemAddressSize = 12;
constexpr size_t kItemDataHeaderSize = 4;
constexpr size_t kJobOverhead = 12;     // request header and function, item count
constexpr size_t kAnswerOverhead = 14;  // ack-data header and function, item count
constexpr uint8_t kItemSuccess = 0xFF;
constexpr uint8_t kAreaCounter = 0x1C;
constexpr uint8_t kAreaTimer = 0x1D;

enum TransportSize : uint8_t {
    kSizeBit = 0x01,
    kSizeByte = 0x02,
    kSizeWord = 0x04,
    kSizeDword = 0x06,
    kSizeCounter = 0x1C,
    kSizeTimer = 0x1D,
};

// Data transport sizes of read answers and write data; the first three count in bits.
enum DataSize : uint8_t {
    kDataBit = 0x03,
    kDataBits = 0x04,
    kDataInteger = 0x05,
    kDataOctets = 0x09
};

struct Item {
    VariableDescriptor* variable;
    uint32_t bytes;  // value bytes on the wire
};

uint32_t ElementSize(uint8_t transportSize) {
    switch (transportSize) {
        case kSizeBit:
        case kSizeByte:
            return 1;
        case kSizeWord:
        case kSizeCounter:
        case kSizeTimer:
            return 2;
        case kSizeDword:
            return 4;
        default:
            return 0;
    }
}

// The item for a descriptor, or the status that refuses it before anything is sent.
CpuStatus MakeItem(VariableDescriptor* variable, Item* item) {
    if (variable == nullptr || variable->value == nullptr) return CPULINK_INVALID_ARGUMENT;
    const uint32_t elementSize = ElementSize(variable->transportSize);
    if (elementSize == 0) return CPULINK_TYPE_NOT_SUPPORTED;
    const uint32_t bytes = elementSize * variable->elementCount;
    const bool isBit = variable->transportSize == kSizeBit;
    if (bytes == 0 || bytes > sizeof(uint32_t) || (isBit && variable->elementCount != 1) ||
        variable->bitOffset > 7 || variable->byteOffset > 0xFFFF) {
        return CPULINK_INVALID_ARGUMENT;
    }
    *item = Item{variable, bytes};
    return CPULINK_OK;
}

CpuStatus MakeItems(VariableDescriptor* const* variables, int count, std::vector<Item>* items) {
    if (variables == nullptr || count < 0) return CPULINK_INVALID_ARGUMENT;
    items->resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const CpuStatus status = MakeItem(variables[i], &(*items)[static_cast<size_t>(i)]);
        if (status != CPULINK_OK) return status;
    }
    return CPULINK_OK;
}

void PutItemAddress(WireWriter& params, const VariableDescriptor& v) {
    const bool counted = v.area == kAreaCounter || v.area == kAreaTimer;
    const uint32_t address =
        counted ? v.byteOffset
                : v.byteOffset << 3 | (v.transportSize == kSizeBit ? v.bitOffset : 0);
    params.U8(0x12);  // item syntax follows: S7ANY address
    params.U8(0x0A);  // ten bytes follow
    params.U8(0x10);  // S7ANY addressing
    params.U8(v.transportSize);
    params.U16(v.elementCount);
    params.U16(v.dbNumber);
    params.U8(v.area);
    params.U8(address >> 16);
    params.U16(address);
}

uint32_t PaddedBytes(uint32_t bytes) {
    return bytes + (bytes & 1);
}

// How many items from `first` on fit one job and its answer.
size_t ItemsThatFit(const std::vector<Item>& items, size_t first, size_t pduSize, bool write) {
    size_t request = kJobOverhead;
    size_t answer = kAnswerOverhead;
    size_t n = 0;
    for (size_t i = first; i < items.size() && n < kMaxItemsPerJob; ++i, ++n) {
        const size_t data = kItemDataHeaderSize + PaddedBytes(items[i].bytes);
        request += kItemAddressSize + (write ? data : 0);
        answer += write ? 1 : data;
        if (request > pduSize || answer > pduSize) break;
    }
    return n;
}

// Puts the value word's first bytes into a write data item.
void PutWriteData(WireWriter& data, const Item& item, bool last) {
    const uint8_t transport = item.variable->transportSize;
    const bool octets = transport == kSizeCounter || transport == kSizeTimer;
    data.U8(0);
    data.U8(transport == kSizeBit ? kDataBit : octets ? kDataOctets : kDataBits);
    data.U16(transport == kSizeBit ? 1 : octets ? item.bytes : item.bytes * 8);
    uint8_t value[4];
    std::memcpy(value, item.variable->value, sizeof value);
    if (transport == kSizeBit) value[0] &= 1;
    data.Bytes(value, item.bytes);
    if (!last && (item.bytes & 1)) data.U8(0);
}

CpuStatus CheckAnswerHead(LinkEngine& engine, const S7Message& answer, uint8_t function,
                          size_t count) {
    if (answer.error != 0) return StatusOfControllerError(answer.error);
    if (answer.paramLength < 2 || answer.Params()[0] != function || answer.Params()[1] != count) {
        return engine.ProtocolError();
    }
    return CPULINK_OK;
}

bool TakeReadValue(WireReader& data, const Item& item, bool last) {
    const uint8_t code = data.U8();
    const uint8_t transport = data.U8();
    const uint16_t length = data.U16();
    if (!data.Ok()) return false;
    item.variable->valuePresent = 0;
    if (code != kItemSuccess) return true;
    const bool inBits =
        transport == kDataBit || transport == kDataBits || transport == kDataInteger;
    const size_t bytes = inBits ? (length + 7u) / 8u : length;
    const uint8_t* value = data.Take(bytes);
    if (value == nullptr || bytes != item.bytes) return false;
    uint8_t word[4] = {};
    std::memcpy(word, value, bytes);
    std::memcpy(item.variable->value, word, sizeof word);
    item.variable->valuePresent = 1;
    if (!last && (bytes & 1) && data.Remaining() > 0) data.Skip(1);
    return true;
}

CpuStatus ReadBatch(LinkEngine& engine, const Item* items, size_t count) {
    WireWriter params;
    params.U8(kFunctionRead);
    params.U8(count);
    for (size_t i = 0; i < count; ++i) PutItemAddress(params, *items[i].variable);
    S7Message answer;
    CpuStatus status = engine.Exchange(kS7Job, params.Get(), {}, &answer);
    if (status == CPULINK_OK) status = CheckAnswerHead(engine, answer, kFunctionRead, count);
    if (status != CPULINK_OK) return status;
    WireReader data(answer.Data(), answer.dataLength);
    for (size_t i = 0; i < count; ++i) {
        if (!TakeReadValue(data, items[i], i + 1 == count)) return engine.ProtocolError();
    }
    return CPULINK_OK;
}

CpuStatus WriteBatch(LinkEngine& engine, const Item* items, size_t count) {
    WireWriter params;
    WireWriter data;
    params.U8(kFunctionWrite);
    params.U8(count);
    for (size_t i = 0; i < count; ++i) {
        PutItemAddress(params, *items[i].variable);
        PutWriteData(data, items[i], i + 1 == count);
    }
    S7Message answer;
    CpuStatus status = engine.Exchange(kS7Job, params.Get(), data.Get(), &answer);
    if (status == CPULINK_OK) status = CheckAnswerHead(engine, answer, kFunctionWrite, count);
    if (status != CPULINK_OK) return status;
    if (answer.dataLength != count) return engine.ProtocolError();
    for (size_t i = 0; i < count; ++i) {
        const uint8_t code = answer.Data()[i];
        if (code != kItemSuccess) return StatusOfItemCode(code);
    }
    return CPULINK_OK;
}

using Batch = CpuStatus (*)(LinkEngine&, const Item*, size_t);

// Runs the items in as few jobs as the PDU allows. A refused batch does not stop the
// others; the first refusal is the result.
CpuStatus RunBatches(LinkEngine& engine, const std::vector<Item>& items, bool write, Batch batch) {
    CpuStatus result = CPULINK_OK;
    for (size_t first = 0; first < items.size();) {
        const size_t count = ItemsThatFit(items, first, engine.PduSize(), write);
        const CpuStatus status = batch(engine, &items[first], count);
        if (CpuStatus_IsFatal(status)) return status;
        if (result == CPULINK_OK) result = status;
        first += count;
    }
    return result;
}

void ClearValuesPresent(const std::vector<Item>& items) {
    for (const Item& item : items) item.variable->valuePresent = 0;
}

}  // namespace
}  // namespace vexal::cpulink

using namespace vexal::cpulink;

extern "C" {

CpuStatus cpuLink_ReadVariables(CpuConnection* record, VariableDescriptor* const* variables,
                                int count) {
    return WithLink(record, [&](LinkEngine& engine) -> CpuStatus {
        std::vector<Item> items;
        const CpuStatus status = MakeItems(variables, count, &items);
        if (status != CPULINK_OK) return status;
        ClearValuesPresent(items);
        return RunBatches(engine, items, false, ReadBatch);
    });
}

CpuStatus cpuLink_WriteVariables(CpuConnection* record, VariableDescriptor* const* variables,
                                 int count) {
    return WithLink(record, [&](LinkEngine& engine) -> CpuStatus {
        std::vector<Item> items;
        const CpuStatus status = MakeItems(variables, count, &items);
        if (status != CPULINK_OK) return status;
        return RunBatches(engine, items, true, WriteBatch);
    });
}

}  // extern "C"
