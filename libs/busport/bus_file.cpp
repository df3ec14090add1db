#include "bus_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "file_lock.h"
#include "replacing_file.h"

namespace vexal::busport {
namespace {

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

bool IsSkipped(const std::vector<std::string>& words) {
    return words.empty() || words[0][0] == '#';
}

// A whole decimal number of digits only (no sign, no blank), at most `limit`.
bool ParseNumber(std::string_view text, int limit, int* value) {
    if (text.empty() || text.size() > 5) return false;
    int parsed = 0;
    for (const char digit : text) {
        if (digit < '0' || digit > '9') return false;
        parsed = parsed * 10 + (digit - '0');
    }
    if (parsed > limit) return false;
    *value = parsed;
    return true;
}

// "a.b.c.d:port"; without ":port" only when defaultPort is not 0, which it then takes.
bool ParseEndpoint(const std::string& text, uint16_t defaultPort, uint32_t* ipv4, uint16_t* port) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos && defaultPort == 0) return false;
    const std::string_view address(text.data(), std::min(colon, text.size()));
    uint32_t value = 0;
    size_t start = 0;
    for (int octet = 0; octet < 4; ++octet) {
        const size_t dot = octet < 3 ? address.find('.', start) : address.size();
        if (dot == std::string_view::npos) return false;
        int part = 0;
        if (!ParseNumber(address.substr(start, dot - start), 255, &part)) return false;
        value |= static_cast<uint32_t>(part) << (8 * octet);
        start = dot + 1;
    }
    int portNumber = defaultPort;
    if (colon != std::string::npos &&
        !ParseNumber(std::string_view(text).substr(colon + 1), 65535, &portNumber)) {
        return false;
    }
    if (portNumber == 0) return false;
    *ipv4 = value;
    *port = static_cast<uint16_t>(portNumber);
    return true;
}

std::string ApplyAddress(const std::vector<std::string>& words, BusDescription* bus) {
    const std::string& keyword = words[0];
    const bool own = keyword == "own";
    int& field = own ? bus->ownAddress : bus->highestAddress;
    if (words.size() != 2) return "'" + keyword + "' takes one address";
    if (field >= 0) return "a second '" + keyword + "' line";
    if (!ParseNumber(words[1], own ? kMaxStationAddress : kMaxHighestAddress, &field)) {
        return "'" + keyword + "' address out of range";
    }
    return {};
}

// "a.b.c.d:port" of a station's own endpoint, or "gateway a.b.c.d[:port]".
std::string ParseRoute(const std::vector<std::string>& words, size_t first,
                       StationEndpoint* route) {
    const bool viaGateway = words[first] == "gateway";
    if (words.size() != first + (viaGateway ? 2 : 1))
        return "a route is a.b.c.d:port or gateway a.b.c.d[:port]";
    *route = StationEndpoint{true, viaGateway, 0, 0};
    if (!ParseEndpoint(words.back(), viaGateway ? kIsoOnTcpPort : 0, &route->ipv4, &route->port)) {
        return viaGateway ? "gateway is not a.b.c.d[:port]" : "endpoint is not a.b.c.d:port";
    }
    return {};
}

std::string ApplyStation(const std::vector<std::string>& words, BusDescription* bus) {
    int address = 0;
    if (words.size() < 3) return "'station' takes an address and a route";
    if (!ParseNumber(words[1], kMaxStationAddress, &address)) return "station address out of range";
    if (bus->stations[address].present) return "station address listed twice";
    return ParseRoute(words, 2, &bus->stations[address]);
}

std::string ApplyGateway(const std::vector<std::string>& words, BusDescription* bus) {
    if (bus->gateway.present) return "a second 'gateway' line";
    return ParseRoute(words, 0, &bus->gateway);
}

std::string ApplyProbes(const std::vector<std::string>& words, BusDescription* bus) {
    if (words.size() < 2 || words.size() > 3) return "'probes' takes a count and milliseconds";
    if (bus->gatewayProbes >= 0) return "a second 'probes' line";
    int count = 0;
    if (!ParseNumber(words[1], kMaxGatewayProbes, &count) || count == 0) {
        return "probes out of range";
    }
    if (words.size() == 3 &&
        (!ParseNumber(words[2], kMaxProbeMs, &bus->probeMs) || bus->probeMs < kMinProbeMs)) {
        return "probe milliseconds out of range";
    }
    bus->gatewayProbes = count;
    return {};
}

// One line's meaning; the empty string on success, else what is wrong.
std::string ApplyLine(const std::vector<std::string>& words, BusDescription* bus) {
    const std::string& keyword = words[0];
    if (keyword == "own" || keyword == "highest") return ApplyAddress(words, bus);
    if (keyword == "station") return ApplyStation(words, bus);
    if (keyword == "gateway") return ApplyGateway(words, bus);
    if (keyword == "probes") return ApplyProbes(words, bus);
    return "unknown keyword '" + keyword + "'";
}

}  // namespace

bool ParseBusFile(const std::string& text, BusDescription* bus, std::string* error) {
    *bus = BusDescription{};
    std::istringstream in(text);
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        const std::vector<std::string> words = Words(line);
        if (IsSkipped(words)) continue;
        const std::string problem = ApplyLine(words, bus);
        if (!problem.empty()) {
            *error = "line " + std::to_string(lineNumber) + ": " + problem;
            return false;
        }
    }
    if (bus->ownAddress < 0 || bus->highestAddress < 0) {
        *error = bus->ownAddress < 0 ? "no 'own' line" : "no 'highest' line";
        return false;
    }
    return true;
}

std::string FormatEndpoint(uint32_t ipv4, uint16_t port) {
    std::ostringstream out;
    out << (ipv4 & 0xFF) << '.' << ((ipv4 >> 8) & 0xFF) << '.' << ((ipv4 >> 16) & 0xFF) << '.'
        << (ipv4 >> 24) << ':' << port;
    return out.str();
}

bool ReadBusFile(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string content;
    char chunk[4096];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        content.append(chunk, static_cast<size_t>(in.gcount()));
        if (content.size() > kMaxBusFileSize) return false;
    }
    if (in.bad()) return false;
    *text = std::move(content);
    return true;
}

namespace {

bool IsStationLine(const std::vector<std::string>& words, int address) {
    int listed = -1;
    return words.size() >= 2 && words[0] == "station" &&
           ParseNumber(words[1], kMaxStationAddress, &listed) && listed == address;
}

std::string WithStation(const std::string& old, int address, const std::string& stationLine) {
    std::istringstream in(old);
    std::string updated;
    for (std::string line; std::getline(in, line);) {
        if (!IsStationLine(Words(line), address)) updated += line + "\n";
    }
    return updated + stationLine + "\n";
}

}  // namespace

bool PublishStation(const std::string& path, int address, uint32_t ipv4, uint16_t port,
                    std::string* error) {
    if (address < 0 || address > kMaxStationAddress) {
        *error = "station address out of range";
        return false;
    }
    platform::FileLock lock;
    if (!lock.Acquire(path + ".lock")) {
        *error = "cannot lock " + path + ".lock";
        return false;
    }
    std::string old = "own 0\nhighest 31\n";
    std::error_code ignored;
    if (std::filesystem::exists(path, ignored) && !ReadBusFile(path, &old)) {
        *error = "cannot read " + path;
        return false;
    }
    const std::string text = WithStation(
        old, address, "station " + std::to_string(address) + " " + FormatEndpoint(ipv4, port));
    platform::ReplacingFile file;
    if (!file.Open(path.c_str()) || !file.Write(text.data(), text.size()) || !file.Commit()) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace vexal::busport
