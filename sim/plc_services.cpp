// The userdata services engineering tools and operator panels use beside block, list,
// clock and password functions: programmer commands, change-driven cyclic reads, the log-on for
// messages with the messages it brings, and the alarm query, answered as a CPU 315-2 PN/DP
// answers them.
#include "plc_session.h"

#include <algorithm>

#include "tcp_socket.h"

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
constexpr uint8_t kChangeRunningJob = 0x07;
constexpr size_t kMaxCyclicJobs = 32;
constexpr uint16_t kNoCyclicResources = 0xD801;

// A cyclic job's interval: a time base of 0.1, 1 or 10 s times a factor.
int64_t PeriodMs(uint8_t timeBase, uint8_t factor) {
    static constexpr int64_t kBaseMs[] = {100, 1000, 10000};
    return kBaseMs[std::min<size_t>(timeBase, 2)] * std::max<uint8_t>(factor, 1);
}

}  // namespace

// The simulator runs no test jobs (variable status, forcing, block status): it takes the
// commands the engineering tools were seen to give without data, as the CPU takes a job it
// sets up, and has no data for a job asked about later. The capabilities record is the one
// a CPU 315 sends. Other commands, a memory reset among them, it does not offer.
uint16_t PlcSession::ProgrammerCommand(uint8_t subfunction, Bytes* payload) {
    static constexpr uint8_t kTaken[] = {0x02, 0x08, 0x0E, 0x0F, 0x13, 0x16};
    if (subfunction == kReadJobData) return kJobNotFound;
    if (subfunction == kTestCapabilities) {
        *payload = {0x00, 0x04, 0x00, 0x04, 0x01, 0x00, 0x00, 0x01, 0x10, 0x03, 0x00, 0x00};
        return kNoError;
    }
    const bool taken =
        std::find(std::begin(kTaken), std::end(kTaken), subfunction) != std::end(kTaken);
    return taken ? kNoError : kInvalidFrame;
}

// A change-driven cyclic read (0x05), or a change of a running one (0x07, the job's number
// as the request's sequence): item count, time base and factor, then the items. The answer
// gives the values now and carries the job's number; later, at each interval, a push
// gives the areas that changed, the others as 0xFE.
uint16_t PlcSession::CyclicRead(uint8_t subfunction, const Bytes& request, Bytes* payload) {
    if (request.size() < 4) return kInvalidFrame;
    CyclicJob job{subfunction, request, PeriodMs(request[2], request[3])};
    if (!ReadCyclicValues(job, payload)) return kInvalidFrame;
    uint8_t number = requestSequence_;
    if (subfunction != kChangeRunningJob || cyclicJobs_.count(number) == 0) {
        if (cyclicJobs_.size() >= kMaxCyclicJobs) return kNoCyclicResources;
        for (number = 1; cyclicJobs_.count(number) != 0;) ++number;
    }
    job.dueMs = platform::MonotonicMs() + job.periodMs;
    cyclicJobs_[number] = std::move(job);
    answerSlot_ = number;
    return kNoError;
}

// The request names the kind of job (0x05) and the job's number.
uint16_t PlcSession::EndCyclicRead(const Bytes& request) {
    if (request.size() < 2) return kInvalidFrame;
    cyclicJobs_.erase(request[1]);
    return kNoError;
}

bool PlcSession::ReadCyclicValues(CyclicJob& job, Bytes* values) {
    ByteReader params(job.request.data(), job.request.size());
    const uint16_t count = params.U16();
    params.U16();
    ByteWriter data;
    data.U16(count);
    job.sent.next = 0;
    job.sent.changed = false;
    for (uint16_t i = 0; i < count; ++i) {
        if (!PutItemValue(controller_, params, data, i + 1 == count, &job.sent)) return false;
    }
    *values = data.Take();
    return true;
}

void PlcSession::TakeCyclicValues(std::vector<Bytes>* out) {
    const int64_t now = platform::MonotonicMs();
    for (auto& [number, job] : cyclicJobs_) {
        if (now < job.dueMs) continue;
        job.dueMs = now + job.periodMs;
        Bytes values;
        if (!ReadCyclicValues(job, &values) || !job.sent.changed) continue;
        const Bytes params = {0x00,   0x01, 0x12, 0x08, 0x12, 0x02, job.subfunction,
                              number, 0x00, 0x00, 0x00, 0x00};
        ByteWriter data;
        data.OctetString(values);
        out->push_back(BuildPdu(kUserdata, 0, params, data.Take(), nullptr));
    }
}

// Log-on for messages: the events asked for (mode transitions 0x01, diagnostic entries
// 0x02, alarms 0x80), a reserved byte, the client's 8-byte name and, with alarms, the kind
// of alarm. Events from now on are pushed; alarms the simulator has none of.
uint16_t PlcSession::MessageLogOn(const Bytes& request, Bytes* payload) {
    if (request.size() < 10) return kInvalidFrame;
    messageEvents_ = request[0] & (kModeEvents | kDiagnosticEvents);
    eventsPushed_ = controller_.EventCount();
    *payload = {0x02, 0x00};
    if ((request[0] & 0x80) != 0 && request.size() >= 11)
        payload->insert(payload->end(), {request[10], 0x01, 0x00});
    return kNoError;
}

// A diagnostic entry goes out as it stands in the buffer, a mode transition as the mode
// entered, in the order they happened, as a CPU 315 sends them.
void PlcSession::TakeMessages(std::vector<Bytes>* out) {
    std::lock_guard<std::mutex> hold(controller_.Lock());
    const auto& events = controller_.RecentEvents();
    const uint64_t fresh =
        std::min<uint64_t>(controller_.EventCount() - eventsPushed_, events.size());
    for (auto event = events.end() - static_cast<std::ptrdiff_t>(fresh); event != events.end();
         ++event) {
        if (event->modeEntered && (messageEvents_ & kModeEvents) != 0) {
            Bytes params = kModePush;
            params[6] = event->mode == OperatingMode::kRun ? kPushedRun : kPushedStop;
            out->push_back(BuildPdu(kUserdata, 0, params, {}, nullptr));
        } else if (!event->modeEntered && (messageEvents_ & kDiagnosticEvents) != 0) {
            ByteWriter data;
            data.OctetString(event->entry.data(), event->entry.size());
            out->push_back(BuildPdu(kUserdata, 0, kDiagnosticPush, data.Take(), nullptr));
        }
    }
    eventsPushed_ = controller_.EventCount();
    TakeCyclicValues(out);
}

// The controller has no pending alarms: one result, no object.
uint16_t PlcSession::AlarmQuery(Bytes* payload) {
    *payload = {0x00, 0x01, kNoObject, 0x00, 0x00, 0x00};
    return kNoError;
}

}  // namespace vexal::sim
