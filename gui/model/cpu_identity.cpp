#include "cpu_identity.h"

#include <cstdio>
#include <span>
#include <utility>

#include "big_endian.h"

namespace vexal {
namespace {

constexpr size_t kModuleRecordSize = 28;
constexpr size_t kComponentRecordSize = 34;
constexpr size_t kProtectionRecordSize = 8;
constexpr size_t kStartInfoSize = 12;

// The component records by the low byte of their index (the high byte tells rack and master
// of an H system).
constexpr std::pair<uint8_t, std::string CpuIdentity::*> kComponentFields[] = {
    {0x01, &CpuIdentity::stationName},      {0x02, &CpuIdentity::moduleName},
    {0x03, &CpuIdentity::plantDesignation}, {0x04, &CpuIdentity::copyright},
    {0x05, &CpuIdentity::serialNumber},     {0x07, &CpuIdentity::moduleType},
    {0x0B, &CpuIdentity::location}};

// The whole records of an answer at least `minimum` bytes long, one after the other.
template <typename Visit>
void ForEachRecord(const StatusAnswer& answer, size_t minimum, Visit visit) {
    const size_t length = answer.recordLength;
    if (length < minimum) return;
    for (size_t at = 0, n = 0; n < answer.recordCount && at + length <= answer.bytes.size();
         ++n, at += length) {
        visit(answer.bytes.subspan(at, length));
    }
}

// A text field up to its first zero byte, trailing blanks dropped.
std::string Text(std::span<const uint8_t> field) {
    std::string text;
    for (uint8_t c : field) {
        if (c == 0) break;
        text.push_back(static_cast<char>(c));
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string Version(const uint8_t* numbers) {
    char text[16];
    std::snprintf(text, sizeof text, "V%u.%u.%u", numbers[0], numbers[1], numbers[2]);
    return text;
}

}  // namespace

void DecodeModuleIdentification(const StatusAnswer& answer, CpuIdentity* identity) {
    ForEachRecord(answer, kModuleRecordSize, [identity](std::span<const uint8_t> r) {
        const uint16_t index = BigEndian16(r.data());
        if (index == 0x0001) {
            identity->orderNumber = Text(r.subspan(2, 20));
            identity->hardwareVersion = std::to_string(BigEndian16(r.data() + 24));
        } else if (index == 0x0007 && r[24] == 'V') {
            identity->firmwareVersion = Version(r.data() + 25);
        }
    });
}

void DecodeComponentIdentification(const StatusAnswer& answer, CpuIdentity* identity) {
    ForEachRecord(answer, kComponentRecordSize, [identity](std::span<const uint8_t> r) {
        for (const auto& [index, field] : kComponentFields) {
            if (r[1] == index) identity->*field = Text(r.subspan(2, 32));
        }
    });
}

std::optional<int> DecodeProtectionLevel(const StatusAnswer& answer) {
    std::optional<int> level;
    ForEachRecord(answer, kProtectionRecordSize, [&level](std::span<const uint8_t> r) {
        const int inForce = BigEndian16(r.data() + 6);
        if (!level && BigEndian16(r.data()) == 0x0004 && inForce >= 1 && inForce <= 3)
            level = inForce;
    });
    return level;
}

std::optional<CycleTimes> DecodeCycleTimes(const StatusAnswer& answer) {
    std::optional<CycleTimes> times;
    ForEachRecord(answer, kStartInfoSize, [&times](std::span<const uint8_t> r) {
        if (times || r[3] != 1) return;
        times = CycleTimes{BigEndian16(r.data() + 6), BigEndian16(r.data() + 8),
                           BigEndian16(r.data() + 10)};
    });
    return times;
}

}  // namespace vexal
