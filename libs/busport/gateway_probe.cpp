#include "gateway_probe.h"

#include <system_error>
#include <thread>

#include "cotp_request.h"
#include "tcp_socket.h"

namespace vexal::busport {
namespace {

constexpr size_t kTpktHeaderSize = 4;
// A connection confirm echoes the request's parameters; anything longer is no confirm.
constexpr size_t kLargestAnswer = 64;

}  // namespace

ProbeOutcome ProbeStation(uint32_t ipv4, uint16_t port, uint8_t station, int timeoutMs) {
    using platform::IoResult;
    const int64_t deadline = platform::MonotonicMs() + timeoutMs;
    platform::TcpStream stream;
    if (stream.Connect(ipv4, port, timeoutMs) != IoResult::kOk) return ProbeOutcome::kUnreachable;
    const auto request = cotp::ConnectionRequest(station);
    uint8_t answer[kLargestAnswer];
    if (stream.SendAllBy(request.data(), request.size(), deadline) != IoResult::kOk ||
        stream.ReceiveExact(answer, kTpktHeaderSize, deadline) != IoResult::kOk) {
        return ProbeOutcome::kRefused;
    }
    const size_t length = static_cast<size_t>(answer[2]) << 8 | answer[3];
    if (answer[0] != 0x03 || length < kTpktHeaderSize + 2 || length > kLargestAnswer ||
        stream.ReceiveExact(answer + kTpktHeaderSize, length - kTpktHeaderSize, deadline) !=
            IoResult::kOk) {
        return ProbeOutcome::kRefused;
    }
    return (answer[kTpktHeaderSize + 1] & 0xF0) == cotp::kConnectionConfirm
               ? ProbeOutcome::kConfirmed
               : ProbeOutcome::kRefused;
}

std::vector<ProbeOutcome> ProbeStations(uint32_t ipv4, uint16_t port,
                                        const std::vector<uint8_t>& stations, int timeoutMs) {
    std::vector<ProbeOutcome> outcomes(stations.size(), ProbeOutcome::kRefused);
    std::vector<std::thread> helpers;
    for (size_t i = 1; i < stations.size(); ++i) {
        auto probe = [&, i] { outcomes[i] = ProbeStation(ipv4, port, stations[i], timeoutMs); };
        try {
            helpers.emplace_back(probe);
        } catch (const std::system_error&) {
            probe();  // no thread to spare: probe here, one after the other
        }
    }
    if (!stations.empty()) outcomes[0] = ProbeStation(ipv4, port, stations[0], timeoutMs);
    for (std::thread& helper : helpers) helper.join();
    return outcomes;
}

}  // namespace vexal::busport
