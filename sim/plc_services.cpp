// The userdata services engineering tools and operator panels use beside block, list,
// clock and password functions: programmer commands, cyclic reads, the log-on for
// messages with the messages it brings, and the alarm query, answered as a CPU 315-2 PN/DP
// answers them.
#include "plc_session.h"

#include <algorithm>

namespace vexal::sim {
namespace {

constexpr uint16_t kJobNotFound = 0xD0A5;
constexpr uint8_t kReadJobData = 0x0D;
constexpr uint8_t kTestCapabilities = 0x10;
constexpr uint8_t kNoObject = 0x0A;
constexpr uint8_t kUserdata = 0x07;
constexpr uint8_t kModeEvents = 0x01;
constexpr uint8_t kDiagnosticEvents = 0x02;
constexpr uint8_t kPushedStop = 0x00;
constexpr uint8_t kPushedRun = 0x02;
// A pushed diagnostic message (group 4, 0x03), and a mode transition with the mode at 6.
const Bytes kDiagnosticPush = {0x00, 0x01, 0x12, 0x04, 0x11, 0x04, 0x03, 0x00};
const Bytes kModePush = {0x01, 0x00, 0x10, 0x10, 0x00, 0x00, 0x00, 0x00};

}  // namespace

// The simulator runs no test jobs (variable status, forcing, block status): it takes
// each such command without data, as the CPU takes a job it sets up, and has no data
// for a job asked about later. The capabilities record is the one a CPU 315 sends.
uint16_t PlcSession::ProgrammerCommand(uint8_t subfunction, Bytes* payload) {
    if (subfunction == kReadJobData) return kJobNotFound;
    if (subfunction == kTestCapabilities)
        *payload = {0x00, 0x04, 0x00, 0x04, 0x01, 0x00, 0x00, 0x01, 0x10, 0x03, 0x00, 0x00};
    return kNoError;
}

// A cyclic read: item count, time base and interval, then the items. The answer gives
// the items' values now; the simulator sends no later values.
uint16_t PlcSession::CyclicRead(const Bytes& request, Bytes* payload) {
    ByteReader params(request.data(), request.size());
    const uint16_t count = params.U16();
    params.U16();
    ByteWriter data;
    data.U16(count);
    for (uint16_t i = 0; i < count; ++i) {
        if (!PutItemValue(controller_, params, data, i + 1 == count)) return kInvalidFrame;
    }
    *payload = data.Take();
    return kNoError;
}

// Log-on for messages: the events asked for (mode transitions 0x01, diagnostic entries
// 0x02, alarms 0x80), a reserved byte, the client's 8-byte name and, with alarms, the kind
// of alarm. Events from now on are pushed; alarms the simulator has none of.
uint16_t PlcSession::MessageLogOn(const Bytes& request, Bytes* payload) {
    if (request.size() < 10) return kInvalidFrame;
    messageEvents_ = request[0] & (kModeEvents | kDiagnosticEvents);
    entriesPushed_ = controller_.EntriesWritten();
    modesPushed_ = controller_.ModesEntered();
    *payload = {0x02, 0x00};
    if ((request[0] & 0x80) != 0 && request.size() >= 11)
        payload->insert(payload->end(), {request[10], 0x01, 0x00});
    return kNoError;
}

// A diagnostic entry goes out as it stands in the buffer, a mode transition as the mode
// entered; entries before modes, oldest first, as a CPU 315 sends them.
void PlcSession::TakeMessages(std::vector<Bytes>* out) {
    std::lock_guard<std::mutex> hold(controller_.Lock());
    const auto& entries = controller_.Diagnostics();
    const uint64_t fresh =
        std::min<uint64_t>(controller_.EntriesWritten() - entriesPushed_, entries.size());
    for (uint64_t i = fresh; (messageEvents_ & kDiagnosticEvents) != 0 && i > 0; --i) {
        const DiagnosticEntry& entry = entries[i - 1];
        Bytes data = {0xFF, 0x09, 0x00, static_cast<uint8_t>(entry.size())};
        data.insert(data.end(), entry.begin(), entry.end());
        out->push_back(BuildPdu(kUserdata, 0, kDiagnosticPush, data, nullptr));
    }
    if ((messageEvents_ & kModeEvents) != 0 && controller_.ModesEntered() != modesPushed_) {
        const bool running = controller_.Mode() == OperatingMode::kRun;
        Bytes params = kModePush;
        params[6] = running ? kPushedRun : kPushedStop;
        out->push_back(BuildPdu(kUserdata, 0, params, {}, nullptr));
    }
    entriesPushed_ = controller_.EntriesWritten();
    modesPushed_ = controller_.ModesEntered();
}

// The controller has no pending alarms: one result, no object.
uint16_t PlcSession::AlarmQuery(Bytes* payload) {
    *payload = {0x00, 0x01, kNoObject, 0x00, 0x00, 0x00};
    return kNoError;
}

}  // namespace vexal::sim
