#include "connection_record.h"

#include <cstring>

namespace vexal::cpulink {
namespace {

constexpr uint32_t kRecordMark = 0x4B4C5856;  // "VXLK"

struct RecordState {
    uint32_t mark;
    LinkRoute route;
    LinkSession* session;
};

static_assert(sizeof(RecordState) <= CPULINK_CONNECTION_SIZE, "the state must fit the record");
static_assert(alignof(RecordState) <= alignof(CpuConnection), "the record must align the state");

// The state is copied in and out rather than aliased, so a record of any origin is safe.
RecordState LoadState(const CpuConnection* record) {
    RecordState state;
    std::memcpy(&state, record->bytes, sizeof state);
    return state;
}

void StoreState(CpuConnection* record, const RecordState& state) {
    std::memcpy(record->bytes, &state, sizeof state);
}

}  // namespace

void InitialiseRecord(CpuConnection* record, LinkRoute route) {
    RecordState state = LoadState(record);
    if (state.mark != kRecordMark) state = RecordState{kRecordMark, route, nullptr};
    if (state.session != nullptr) state.session->engine.reset();
    state.route = route;
    StoreState(record, state);
}

LinkSession* SessionOf(CpuConnection* record) {
    if (record == nullptr) return nullptr;
    RecordState state = LoadState(record);
    if (state.mark != kRecordMark) return nullptr;
    if (state.session == nullptr) {
        state.session = new LinkSession();
        StoreState(record, state);
    }
    return state.session;
}

void CloseRecordLink(CpuConnection* record) {
    if (record == nullptr) return;
    const RecordState state = LoadState(record);
    if (state.mark == kRecordMark && state.session != nullptr) state.session->engine.reset();
}

void DestroyRecord(CpuConnection* record) {
    if (record == nullptr) return;
    const RecordState state = LoadState(record);
    if (state.mark != kRecordMark) return;
    delete state.session;
    std::memset(record->bytes, 0, sizeof record->bytes);
}

}  // namespace vexal::cpulink
