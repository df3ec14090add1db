// What one run does: the connection options and the ordered command list, built from
// the arguments before anything is opened.
#pragma once

#include <cstdint>

#include "tokeniser.h"

namespace vexal::cmd {

inline constexpr int kMaxPasswordLength = 8;
inline constexpr int kMaxFileName = 260;
inline constexpr int kMaxMpiAddress = 126;
inline constexpr uint8_t kDefaultMpiAddress = 2;

enum class Transport { kMpi, kTcp };

struct CommandItem {
    int keyword;   // a command keyword
    int argument;  // index of the argument whose value the command takes
};

struct Job {
    Transport transport;
    uint8_t mpiAddress;
    uint8_t ipv4[4];  // in written order
    bool login;
    wchar_t password[kMaxPasswordLength + 1];
    wchar_t uploadFile[kMaxFileName + 1];
    wchar_t downloadFile[kMaxFileName + 1];
    bool upload;
    bool download;
    CommandItem commands[kMaxArguments];
    int commandCount;
};

// Fills the job from the arguments in order: the defaults first (MPI, station 2), then
// each option and command. Returns 0 or the exit code of the first failure.
int BuildJob(const ArgumentTable& arguments, Job& job);

// Reads "%d.%d.%d.%d" into four octets. False when fewer than four numbers are read or
// one of them lies outside 0 to 255; text behind the fourth number is ignored.
bool ParseIpv4Address(const wchar_t* text, uint8_t* octets);

}  // namespace vexal::cmd
