// The plant file: one station per line,
//   NAME ip A.B.C.D [rack R slot S] [password FILE]
//   NAME mpi N [password FILE]
// with "#" comments and blank lines. A name is letters, digits, "-", "_" and "." and does
// not start with "."; it names the station's folder in the archive.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vexal::backup {

enum class Transport { kTcp, kMpi };

struct Station {
    std::string name;
    Transport transport = Transport::kTcp;
    uint8_t ipv4[4] = {};
    int mpiAddress = 0;
    int rack = -1;  // -1: the library's default
    int slot = -1;
    std::string password;  // read from the password file; empty: no log-in
    int line = 0;
};

struct PlantError {
    int line;
    std::string message;
};

// Parses the whole text; a line that names a password file reads it through
// `readPassword` (false: the file cannot be read). Every malformed line gives one error.
using PasswordReader = std::function<bool(const std::string& path, std::string* password)>;
std::vector<PlantError> ParsePlant(const std::string& text, const PasswordReader& readPassword,
                                   std::vector<Station>* stations);

// The first line of the file, at most 8 characters.
bool ReadPasswordFile(const std::string& path, std::string* password);

// The controller a station reaches: two stations with the same key are one controller.
std::string ControllerKey(const Station& station);

}  // namespace vexal::backup
