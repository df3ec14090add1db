// One client connection's view of the controller: it takes the S7 PDUs the client sends
// and produces what the controller sends back, including the controller's own jobs that
// pull a block during a download. It never reads past what arrived.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "plc_controller.h"
#include "sim_bytes.h"

namespace vexal::sim {

// What a change-driven job last sent, area by area (an item of the any-pointer syntax is
// one area), for telling which areas changed since.
struct SentValues {
    std::vector<Bytes> areas;
    size_t next = 0;
    bool changed = false;
    // Whether the next area differs from what was sent at its place; remembers it.
    bool Changes(const Bytes& now) {
        if (next >= areas.size()) areas.resize(next + 1);
        const bool differs = areas[next] != now;
        if (differs) areas[next] = now;
        changed = changed || differs;
        ++next;
        return differs;
    }
};

class PlcSession {
public:
    PlcSession(PlcController& controller, uint16_t maxPdu);

    // Handles one whole S7 PDU and appends the PDUs to send, in order, to *out. A PDU that
    // is not S7 at all gets no answer.
    void Handle(const uint8_t* pdu, size_t size, std::vector<Bytes>* out);

    // The negotiated PDU size; the largest until the set-up.
    uint16_t PduSize() const { return pduSize_; }
    // True once the client has set up the communication.
    bool SetUp() const { return setUp_; }
    // True while the client is logged on for messages or has cyclic jobs running.
    bool AwaitsMessages() const { return messageEvents_ != 0 || !cyclicJobs_.empty(); }
    // Appends the messages due since the last call: the diagnostic entries written and the
    // modes entered, as the client logged on for, and the values of its cyclic jobs that
    // changed.
    void TakeMessages(std::vector<Bytes>* out);

    struct Message {
        uint8_t type = 0;
        uint16_t reference = 0;
        uint16_t error = 0;
        const uint8_t* params = nullptr;
        size_t paramLength = 0;
        const uint8_t* data = nullptr;
        size_t dataLength = 0;
    };

    // The rest of a userdata answer too long for one PDU, sent on follow-up requests.
    struct PendingAnswer {
        uint8_t sequence = 0;
        uint8_t group = 0;
        uint8_t subfunction = 0;
        Bytes payload;
        size_t offset = 0;
        size_t head = 0;   // bytes before the first entry
        size_t entry = 1;  // fragments end at an entry boundary
    };

private:
    struct Download {
        bool active = false;
        std::string fileName;
        int type = 0;
        uint16_t number = 0;
        uint32_t announcedLength = 0;  // 0: not announced
        Bytes image;
        uint16_t jobReference = 0;
        bool failed = false;
    };

    Bytes HandleJob(const Message& job, std::vector<Bytes>* out);
    Bytes Setup(const Message& job);
    Bytes ReadVariables(const Message& job);
    Bytes WriteVariables(const Message& job);
    Bytes RequestDownload(const Message& job, std::vector<Bytes>* out);
    void TakeDownloadAnswer(const Message& answer, std::vector<Bytes>* out);
    Bytes StartUpload(const Message& job);
    Bytes Upload(const Message& job);
    Bytes EndUpload(const Message& job);
    Bytes PiService(const Message& job);
    Bytes InsertBlocks(const uint8_t* list, size_t length);
    Bytes DeleteBlocks(const uint8_t* list, size_t length);
    Bytes StopCpu(const Message& job);

    Bytes RefusePi(uint16_t error) const;
    Bytes HandleUserdata(const Message& request);
    static uint8_t JobSlot(uint8_t group, uint8_t subfunction);
    Bytes UserdataAnswer(uint8_t group, uint8_t subfunction, uint16_t error, Bytes payload);
    Bytes NextFragment(uint8_t group, uint8_t subfunction);
    uint16_t Userdata(uint8_t group, uint8_t subfunction, const Bytes& request, Bytes* payload);
    uint16_t BlockCounts(Bytes* payload) const;
    uint16_t BlockList(const Bytes& request, Bytes* payload) const;
    uint16_t BlockInfo(const Bytes& request, Bytes* payload) const;
    uint16_t LogIn(const Bytes& request);
    uint16_t ReadClock(Bytes* payload) const;
    uint16_t SetClock(const uint8_t* dateAndTime);
    uint16_t CyclicRead(uint8_t subfunction, const Bytes& request, Bytes* payload);
    uint16_t EndCyclicRead(const Bytes& request);
    void TakeCyclicValues(std::vector<Bytes>* out);
    static uint16_t ProgrammerCommand(uint8_t subfunction, Bytes* payload);
    uint16_t MessageLogOn(const Bytes& request, Bytes* payload);
    static uint16_t AlarmQuery(Bytes* payload);

    Bytes ControllerJob(uint8_t function, const std::string& fileName, uint16_t errorCode);
    Bytes Ack(uint16_t error, const Bytes& params, const Bytes& data = {}) const;
    // An ack-data without error whose parameter and data the caller appends.
    ByteWriter AckWriter(size_t paramLength, size_t dataLength) const;
    // A refused job: an ack with the error and neither parameter nor data.
    Bytes Refuse(uint16_t error) const;
    // The function's one-byte ack when error is kNoError, else the refusal.
    Bytes Reply(uint16_t error, uint8_t function) const;
    bool Locked() const { return controller_.HasPassword() && !legitimated_; }

    PlcController& controller_;
    uint16_t maxPdu_;
    uint16_t pduSize_;
    uint16_t reference_ = 0;  // of the request being handled
    bool legitimated_ = false;
    bool setUp_ = false;
    uint16_t nextJobReference_ = 0x4000;
    uint8_t nextSequence_ = 0;
    uint32_t uploadCounter_ = 0;
    uint32_t uploadId_ = 0;
    Bytes uploadImage_;
    size_t uploadOffset_ = 0;
    Download download_;
    PendingAnswer pending_;
    struct CyclicJob {
        uint8_t subfunction = 0;
        Bytes request;  // item count, time base, factor, items
        int64_t periodMs = 0;
        int64_t dueMs = 0;
        SentValues sent;
    };
    // The job's values now, as the answer or a push carries them; false for a bad item.
    bool ReadCyclicValues(CyclicJob& job, Bytes* values);

    uint8_t requestSequence_ = 0;  // of the userdata request being handled
    uint8_t answerSlot_ = 0;       // when not 0, the sequence the answer carries
    std::map<uint8_t, CyclicJob> cyclicJobs_;
    uint8_t messageEvents_ = 0;
    uint64_t eventsPushed_ = 0;
};

// Takes one item of a read or a cyclic read from `params` and appends its value, or the
// code that refuses it, to `data`; false when the item is malformed.
// With `sent`, an area unchanged since goes out as 0xFE alone.
bool PutItemValue(PlcController& controller, ByteReader& params, ByteWriter& data, bool last,
                  SentValues* sent = nullptr);

// A whole PDU; an error class and code (for acks) when `error` is not null.
Bytes BuildPdu(uint8_t type, uint16_t reference, const Bytes& params, const Bytes& data,
               const uint16_t* error);

// Splits an S7 PDU into its parts; false when the header is not an S7 header or its
// lengths do not add up to what arrived.
bool ParseMessage(const uint8_t* pdu, size_t size, PlcSession::Message* message);

}  // namespace vexal::sim
