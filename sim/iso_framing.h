// ISO-on-TCP framing of one simulator connection without the socket: received bytes go
// in, and out come connection requests answered, whole S7 PDUs reassembled from their DT
// TPDUs, or the end of the connection. Answers go out through AppendS7Frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "sim_bytes.h"

namespace vexal::sim {

class IsoFraming {
public:
    // Whether a connection request for this rack/slot byte of the called TSAP (-1: the
    // request names none) is confirmed; a refused one is answered with a DR.
    using Acceptor = std::function<bool(int rackSlot)>;

    IsoFraming() = default;
    explicit IsoFraming(Acceptor accepts) : accepts_(std::move(accepts)) {}

    enum class Event {
        kNeedMore,  // nothing complete yet
        kConfirm,   // *out: the connection confirm to send
        kPdu,       // *out: a whole S7 PDU from the client
        kClose,     // broken framing, a disconnect, or a refused request (*out: a DR to send)
    };

    // Takes bytes as they arrive; then call Next until it gives kNeedMore.
    void Append(const uint8_t* data, size_t size);
    // *out is emptied first; it keeps its storage.
    Event Next(Bytes* out);

    // True while part of a frame or of a segmented S7 PDU has arrived.
    bool MidFrame() const { return start_ < buffer_.size() || !pdu_.empty(); }
    // The TPDU size both sides use since the connection confirm.
    size_t TpduSize() const { return tpduSize_; }
    // The rack/slot byte of the confirmed request's called TSAP, -1 when it named none.
    int CalledRackSlot() const { return calledRackSlot_; }

private:
    Event Take(const uint8_t* tpdu, size_t size, Bytes* out);

    Bytes buffer_;
    size_t start_ = 0;
    Bytes pdu_;
    size_t tpduSize_ = 128;
    bool connected_ = false;
    int calledRackSlot_ = -1;
    Acceptor accepts_;
};

// Appends an S7 PDU to *wire as the DT TPDUs of its TPKT frames, cut to the TPDU size.
void AppendS7Frames(const Bytes& pdu, size_t tpduSize, Bytes* wire);

}  // namespace vexal::sim
