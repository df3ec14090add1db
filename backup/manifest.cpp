#include "manifest.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <sstream>

#include "block_facts.h"
#include "block_image.h"
#include "sha256.h"

namespace vexal::backup {
namespace {

constexpr int kTypeCount = 5;
constexpr char kHeader[] = "# block load-length code-time interface-time checksum sha256\n";
constexpr char kNoTime[] = "-";

// A block time stamp is the milliseconds since midnight (high four bytes) and the days
// since 1984-01-01 (low two bytes).
constexpr std::chrono::sys_days kTimeEpoch{std::chrono::year{1984} / 1 / 1};
constexpr uint32_t kMsPerSecond = 1000;

std::string FormatTime(uint64_t stamp) {
    if (stamp == 0) return kNoTime;
    const std::chrono::year_month_day date{kTimeEpoch + std::chrono::days(stamp & 0xFFFF)};
    const uint32_t ms = static_cast<uint32_t>(stamp >> 16);
    const uint32_t seconds = ms / kMsPerSecond;
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02u:%02u:%02u.%03u",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), seconds / 3600, seconds / 60 % 60,
                  seconds % 60, ms % kMsPerSecond);
    return text;
}

bool ParseTime(const std::string& text, uint64_t* stamp) {
    *stamp = 0;
    if (text == kNoTime) return true;
    int year = 0;
    unsigned month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
    if (std::sscanf(text.c_str(), "%d-%u-%uT%u:%u:%u.%u", &year, &month, &day, &hour, &minute,
                    &second, &ms) != 7) {
        return false;
    }
    const std::chrono::year_month_day date{std::chrono::year{year} / month / day};
    const auto days = (std::chrono::sys_days(date) - kTimeEpoch).count();
    if (!date.ok() || days < 0 || days > 0xFFFF) return false;
    const uint64_t sinceMidnight = ((hour * 60ull + minute) * 60 + second) * kMsPerSecond + ms;
    *stamp = sinceMidnight << 16 | static_cast<uint64_t>(days);
    return true;
}

int TypeOfName(const std::string& name, size_t* digits) {
    for (int type = kTypeCount - 1; type >= 0; --type) {
        const std::string prefix = BlockTypeName(type);
        if (name.compare(0, prefix.size(), prefix) == 0) {
            *digits = prefix.size();
            return type;
        }
    }
    return -1;
}

bool ParseLine(const std::string& line, ManifestEntry* entry) {
    std::istringstream in(line);
    std::string name, codeTime, interfaceTime;
    unsigned checksum = 0;
    in >> name >> entry->loadLength >> codeTime >> interfaceTime >> std::hex >> checksum >>
        entry->sha256;
    size_t digits = 0;
    entry->type = TypeOfName(name, &digits);
    if (!in || entry->type < 0 || entry->sha256.size() != 64 ||
        !ParseTime(codeTime, &entry->codeTime) ||
        !ParseTime(interfaceTime, &entry->interfaceTime)) {
        return false;
    }
    const std::string digitText = name.substr(digits);
    if (digitText.empty() || digitText.size() > 5 ||
        digitText.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const unsigned long number = std::stoul(digitText);
    if (number > 0xFFFF || checksum > 0xFFFF) return false;
    entry->number = static_cast<uint16_t>(number);
    entry->checksum = static_cast<uint16_t>(checksum);
    return true;
}

using Key = std::pair<int, uint16_t>;

std::map<Key, const ManifestEntry*> ByBlock(const std::vector<ManifestEntry>& entries) {
    std::map<Key, const ManifestEntry*> blocks;
    for (const ManifestEntry& entry : entries) blocks[{entry.type, entry.number}] = &entry;
    return blocks;
}

bool OnlyValuesDiffer(const ManifestEntry& a, const ManifestEntry& b) {
    return a.type == BLOCK_TYPE_DB && a.loadLength == b.loadLength && a.codeTime == b.codeTime &&
           a.interfaceTime == b.interfaceTime;
}

void Classify(const ManifestEntry* before, const ManifestEntry* after, StationChanges* changes) {
    const ManifestEntry& any = before != nullptr ? *before : *after;
    const std::string name = BlockName(any.type, any.number);
    BlockChanges& kind = IsDataBlockType(any.type) ? changes->data : changes->code;
    if (before == nullptr) {
        kind.added.push_back(name);
    } else if (after == nullptr) {
        kind.removed.push_back(name);
    } else if (before->sha256 != after->sha256) {
        if (OnlyValuesDiffer(*before, *after)) {
            changes->valuesOnly.push_back(name);
        } else {
            kind.changed.push_back(name);
        }
    }
}

void AppendList(const char* label, const std::vector<std::string>& names, std::string* out) {
    if (names.empty()) return;
    *out += std::string(" ") + label;
    for (const std::string& name : names) *out += " " + name;
    *out += ";";
}

void AppendKind(const char* kind, const BlockChanges& changes, std::string* out) {
    if (!changes.Any()) return;
    *out += std::string(out->empty() ? "" : " ") + kind + ":";
    AppendList("added", changes.added, out);
    AppendList("removed", changes.removed, out);
    AppendList("changed", changes.changed, out);
}

}  // namespace

ManifestEntry MakeManifestEntry(const uint8_t* image, size_t size) {
    ManifestEntry entry;
    ReadBlockFacts(image, size, &entry);
    entry.type = BlockImageType(image);
    entry.number = BlockImageNumber(image);
    entry.loadLength = BlockImageLength(image);
    entry.sha256 = sim::Sha256Hex(image, size);
    return entry;
}

std::string BlockName(int type, uint16_t number) {
    return BlockTypeName(type) + std::to_string(number);
}

bool IsDataBlockType(int type) {
    return type == BLOCK_TYPE_DB || type == BLOCK_TYPE_SDB;
}

std::string FormatManifest(const std::vector<ManifestEntry>& entries) {
    std::string text = kHeader;
    for (const ManifestEntry& entry : entries) {
        char checksum[8];
        std::snprintf(checksum, sizeof checksum, " %04x ", entry.checksum);
        text += BlockName(entry.type, entry.number) + " " + std::to_string(entry.loadLength) + " " +
                FormatTime(entry.codeTime) + " " + FormatTime(entry.interfaceTime) + checksum +
                entry.sha256 + "\n";
    }
    return text;
}

bool ParseManifest(const std::string& text, std::vector<ManifestEntry>* entries) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        ManifestEntry entry;
        if (!ParseLine(line, &entry)) return false;
        entries->push_back(entry);
    }
    return true;
}

StationChanges CompareManifests(const std::vector<ManifestEntry>& before,
                                const std::vector<ManifestEntry>& after) {
    const auto old = ByBlock(before);
    const auto now = ByBlock(after);
    StationChanges changes;
    for (const auto& [key, entry] : old) {
        const auto found = now.find(key);
        Classify(entry, found == now.end() ? nullptr : found->second, &changes);
    }
    for (const auto& [key, entry] : now) {
        if (old.count(key) == 0) Classify(nullptr, entry, &changes);
    }
    return changes;
}

std::string SummariseChanges(const StationChanges& changes) {
    std::string text;
    AppendKind("code", changes.code, &text);
    AppendKind("data", changes.data, &text);
    if (!changes.valuesOnly.empty()) {
        text += text.empty() ? "" : " ";
        text += "values only:";
        for (const std::string& name : changes.valuesOnly) text += " " + name;
        text += ";";
    }
    if (text.empty()) return "no change";
    text.pop_back();
    return text;
}

}  // namespace vexal::backup
