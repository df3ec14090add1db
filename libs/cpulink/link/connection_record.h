// What the library keeps in a caller's 2128-byte connection record: a mark that the
// record was initialised, its route, and a handle to the link session. An all-zero record
// holds no mark and owns nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "cpulink.h"
#include "link_engine.h"
#include "link_settings.h"

namespace vexal::cpulink {

enum class LinkRoute : uint32_t { kNone = 0, kTcp = 1, kMpi = 2 };

struct LinkSession {
    LinkSettings settings;
    std::unique_ptr<LinkEngine> engine;  // null while no link is open
    int adapterHandle = -1;              // the MPI adapter of an MPI record
    CpuCancelCheck cancelCheck = nullptr;
    void* cancelContext = nullptr;

    bool CancelRequested() const {
        return cancelCheck != nullptr && cancelCheck(cancelContext) != 0;
    }
};

// Marks the record as initialised for a route; an initialised record keeps its session
// and loses only its open link.
void InitialiseRecord(CpuConnection* record, LinkRoute route);

// The record's session, created on first use; null for a null or never initialised record.
LinkSession* SessionOf(CpuConnection* record);

// Drops the open link of the record, if any.
void CloseRecordLink(CpuConnection* record);

// Closes the link, frees the session and zeroes the record.
void DestroyRecord(CpuConnection* record);

// Opens a link to the controller at this address with these settings, dropping any link
// the session had; the session keeps the link only when it is fully set up.
CpuStatus OpenLink(LinkSession* session, uint32_t ipv4, const LinkSettings& settings);

// Runs one controller call on the record's open link and session.
template <typename Call>
CpuStatus WithSession(CpuConnection* record, Call call) {
    LinkSession* session = SessionOf(record);
    if (session == nullptr || !session->engine || !session->engine->IsOpen()) {
        return CPULINK_NOT_CONNECTED;
    }
    const CpuStatus status = call(*session);
    if (CpuStatus_IsFatal(status)) session->engine.reset();
    return status;
}

// Runs one controller call on the record's open link. Without an open link the call is
// not made and CPULINK_NOT_CONNECTED returned; after a fatal status the link is dropped.
template <typename Call>
CpuStatus WithLink(CpuConnection* record, Call call) {
    return WithSession(record, [&](LinkSession& session) { return call(*session.engine); });
}

}  // namespace vexal::cpulink
