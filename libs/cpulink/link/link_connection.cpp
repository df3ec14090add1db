// Connection calls: initialise, open over TCP/IP, log in, close, destroy.
#include <memory>

#include "connection_record.h"
#include "iso_tcp_transport.h"
#include "tcp_socket.h"
#include "wire_bytes.h"

namespace vexal::cpulink {
namespace {

constexpr uint8_t kSubfunctionSetPassword = 0x01;
constexpr size_t kPasswordLength = 8;
constexpr size_t kMaxLoginAnswer = 64;
constexpr uint16_t kWrongPassword = 0xD602;
constexpr uint16_t kAlreadyLegitimated = 0xD603;
constexpr uint16_t kNoPasswordConfigured = 0xD605;

// The password as a controller expects it: ASCII padded with blanks to 8 bytes, each byte
// XOR 0x55, from the third on also XOR the scrambled byte two places before. An empty
// password is eight blanks, which a controller with a password refuses.
bool ScramblePassword(const wchar_t* password, std::vector<uint8_t>* scrambled) {
    if (password == nullptr) return false;
    scrambled->assign(kPasswordLength, 0);
    size_t i = 0;
    for (; password[i] != L'\0'; ++i) {
        if (i == kPasswordLength || password[i] < 0x20 || password[i] > 0x7E) return false;
        (*scrambled)[i] = static_cast<uint8_t>(password[i]);
    }
    for (; i < kPasswordLength; ++i) (*scrambled)[i] = ' ';
    for (i = 0; i < kPasswordLength; ++i) {
        (*scrambled)[i] ^= 0x55;
        if (i >= 2) (*scrambled)[i] ^= (*scrambled)[i - 2];
    }
    return true;
}

CpuStatus LogIn(LinkEngine& engine, const wchar_t* password) {
    std::vector<uint8_t> scrambled;
    if (!ScramblePassword(password, &scrambled)) return CPULINK_INVALID_ARGUMENT;
    std::vector<uint8_t> payload;
    uint16_t error = 0;
    const CpuStatus status = engine.ReadUserdata(kGroupSecurity, kSubfunctionSetPassword, scrambled,
                                                 kMaxLoginAnswer, &payload, &error);
    if (status != CPULINK_OK) return status;
    // A connection that already has full access needs no password.
    if (error == kAlreadyLegitimated || error == kNoPasswordConfigured) return CPULINK_OK;
    if (error == kWrongPassword) return CPULINK_PASSWORD_REFUSED;
    return StatusOfControllerError(error);
}

}  // namespace

CpuStatus OpenLink(LinkSession* session, uint32_t ipv4, const LinkSettings& settings) {
    session->engine.reset();
    session->settings = settings;
    const int64_t deadline = vexal::platform::MonotonicMs() + settings.connectTimeoutMs;
    CpuStatus status = CPULINK_OK;
    auto transport = OpenIsoTcpTransport(ipv4, settings, deadline, &status);
    if (!transport) return status;
    auto engine = std::make_unique<LinkEngine>(std::move(transport), settings.answerTimeoutMs);
    status = engine->SetupCommunication(deadline);
    if (status == CPULINK_CONNECTION_LOST) return CPULINK_CANNOT_CONNECT;
    if (status != CPULINK_OK) return status;
    session->engine = std::move(engine);
    return CPULINK_OK;
}

}  // namespace vexal::cpulink

using namespace vexal::cpulink;

extern "C" {

CpuStatus cpuNet_InitConnection(CpuConnection* record) {
    if (record == nullptr) return CPULINK_INVALID_ARGUMENT;
    InitialiseRecord(record, LinkRoute::kTcp);
    return CPULINK_OK;
}

CpuStatus cpuNet_OpenConnection(CpuConnection* record, uint32_t ipv4Address) {
    if (record == nullptr) return CPULINK_INVALID_ARGUMENT;
    InitialiseRecord(record, LinkRoute::kTcp);
    return OpenLink(SessionOf(record), ipv4Address, ReadLinkSettings());
}

CpuStatus cpuLink_LogInW(CpuConnection* record, const wchar_t* password) {
    const CpuStatus status =
        WithLink(record, [&](LinkEngine& engine) -> CpuStatus { return LogIn(engine, password); });
    if (status == CPULINK_PASSWORD_REFUSED) CloseRecordLink(record);
    return status;
}

void cpuLink_CloseConnection(CpuConnection* record) {
    CloseRecordLink(record);
}

void cpuLink_DestroyConnection(CpuConnection* record) {
    DestroyRecord(record);
}

}  // extern "C"
