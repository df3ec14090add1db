#include "plant_file.h"

#include <fstream>
#include <set>
#include <sstream>

namespace vexal::backup {
namespace {

constexpr size_t kMaxPassword = 8;
constexpr int kMaxMpiAddress = 126;

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.';
}

bool IsValidName(const std::string& name) {
    if (name.empty() || name[0] == '.') return false;
    for (char c : name) {
        if (!IsNameCharacter(c)) return false;
    }
    return true;
}

// A whole decimal number from lowest to highest.
bool ParseNumber(const std::string& text, int lowest, int highest, int* value) {
    if (text.empty() || text.size() > 5) return false;
    int number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
    }
    if (number < lowest || number > highest) return false;
    *value = number;
    return true;
}

bool ParseIpv4(const std::string& text, uint8_t* octets) {
    std::istringstream parts(text);
    std::string part;
    int count = 0;
    while (std::getline(parts, part, '.')) {
        int octet = 0;
        if (count == 4 || !ParseNumber(part, 0, 255, &octet)) return false;
        octets[count++] = static_cast<uint8_t>(octet);
    }
    return count == 4 && text.back() != '.';
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line.substr(0, line.find('#')));
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

class LineParser {
public:
    LineParser(const std::vector<std::string>& words, const PasswordReader& readPassword)
        : words_(words), readPassword_(readPassword) {}

    // The error text, or "" with the station filled.
    std::string Parse(Station* station) {
        station->name = words_[0];
        if (!IsValidName(station->name)) return "bad station name '" + station->name + "'";
        if (words_.size() < 3) return "expected 'ip A.B.C.D' or 'mpi N' after the name";
        std::string error = ParseAddress(station);
        for (next_ = 3; error.empty() && next_ < words_.size(); next_ += 2) {
            error = ParseOption(station);
        }
        if (error.empty() && (station->rack < 0) != (station->slot < 0)) {
            error = "rack and slot go together";
        }
        return error;
    }

private:
    std::string ParseAddress(Station* station) {
        const std::string& value = words_[2];
        if (words_[1] == "ip") {
            station->transport = Transport::kTcp;
            return ParseIpv4(value, station->ipv4) ? "" : "bad IP address '" + value + "'";
        }
        if (words_[1] == "mpi") {
            station->transport = Transport::kMpi;
            return ParseNumber(value, 0, kMaxMpiAddress, &station->mpiAddress)
                       ? ""
                       : "bad MPI address '" + value + "'";
        }
        return "unknown transport '" + words_[1] + "'";
    }

    std::string ParseOption(Station* station) {
        const std::string& option = words_[next_];
        if (next_ + 1 >= words_.size()) return "'" + option + "' needs a value";
        const std::string& value = words_[next_ + 1];
        if (option == "rack" || option == "slot") {
            if (station->transport != Transport::kTcp) return "rack and slot need 'ip'";
            const bool isRack = option == "rack";
            int* field = isRack ? &station->rack : &station->slot;
            return ParseNumber(value, 0, isRack ? 7 : 31, field)
                       ? ""
                       : "bad " + option + " '" + value + "'";
        }
        if (option == "password") {
            if (!readPassword_(value, &station->password)) {
                return "cannot read password file '" + value + "'";
            }
            return station->password.size() > kMaxPassword ? "password longer than 8 characters"
                                                           : "";
        }
        return "unknown option '" + option + "'";
    }

    const std::vector<std::string>& words_;
    const PasswordReader& readPassword_;
    size_t next_ = 3;
};

}  // namespace

std::vector<PlantError> ParsePlant(const std::string& text, const PasswordReader& readPassword,
                                   std::vector<Station>* stations) {
    std::vector<PlantError> errors;
    std::set<std::string> names;
    std::istringstream in(text);
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        const std::vector<std::string> words = Words(line);
        if (words.empty()) continue;
        Station station;
        station.line = lineNumber;
        std::string error = LineParser(words, readPassword).Parse(&station);
        if (error.empty() && !names.insert(station.name).second) {
            error = "station '" + station.name + "' listed twice";
        }
        if (!error.empty()) {
            errors.push_back({lineNumber, error});
            continue;
        }
        stations->push_back(station);
    }
    if (errors.empty() && stations->empty()) errors.push_back({lineNumber, "no station listed"});
    return errors;
}

bool ReadPasswordFile(const std::string& path, std::string* password) {
    std::ifstream in(path);
    if (!in) return false;
    std::getline(in, *password);
    if (!password->empty() && password->back() == '\r') password->pop_back();
    return true;
}

std::string ControllerKey(const Station& station) {
    if (station.transport == Transport::kMpi) return "mpi " + std::to_string(station.mpiAddress);
    std::string key = "ip";
    for (uint8_t octet : station.ipv4) key += " " + std::to_string(octet);
    return key + " " + std::to_string(station.rack) + " " + std::to_string(station.slot);
}

}  // namespace vexal::backup
