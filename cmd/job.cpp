#include "job.h"

#include <climits>
#include <cwchar>
#include <cwctype>

#include "exit_codes.h"
#include "value_lists.h"

namespace vexal::cmd {
namespace {

// Commands that may share a command line: any mixture of group A, or repeats of
// "ramtorom", or repeats of "clear", or exactly one of "stop" and "run".
enum CommandGroup { kGroupA, kGroupB, kGroupC, kGroupD, kGroupCount };

CommandGroup GroupOf(int keyword) {
    switch (keyword) {
        case kKeywordRamToRom:
            return kGroupB;
        case kKeywordClear:
            return kGroupC;
        case kKeywordStop:
        case kKeywordRun:
            return kGroupD;
        default:
            return kGroupA;
    }
}

struct BuildState {
    bool ipSeen = false;
    bool mpiSeen = false;
    bool groups[kGroupCount] = {};
};

void CopyValue(const Argument& argument, wchar_t* out) {
    std::wmemcpy(out, argument.value, argument.valueLength + 1);
}

// Like "%d": white space, an optional sign, at least one digit. Saturates far above 255.
bool ScanDecimal(const wchar_t*& p, long& number) {
    while (std::iswspace(static_cast<wint_t>(*p))) ++p;
    const bool negative = *p == L'-';
    if (*p == L'-' || *p == L'+') ++p;
    if (*p < L'0' || *p > L'9') return false;
    number = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        if (number < 100000) number = number * 10 + (*p - L'0');
    }
    if (negative) number = -number;
    return true;
}

// Like wcstol in base 10, without its overflow: digits beyond the range saturate.
long ReadStationNumber(const wchar_t* p) {
    long number = 0;
    return ScanDecimal(p, number) ? number : 0;
}

int ApplyMpi(const Argument& argument, BuildState& state, Job& job) {
    if (state.ipSeen) return kExitMpiAfterIp;
    const long address = ReadStationNumber(argument.value);
    if (address < 0 || address > kMaxMpiAddress) return kExitBadStationAddress;
    state.mpiSeen = true;
    job.transport = Transport::kMpi;
    job.mpiAddress = static_cast<uint8_t>(address);
    return 0;
}

int ApplyIp(const Argument& argument, BuildState& state, Job& job) {
    if (state.mpiSeen) return kExitIpAfterMpi;
    if (!ParseIpv4Address(argument.value, job.ipv4)) return kExitBadIpAddress;
    state.ipSeen = true;
    job.transport = Transport::kTcp;
    return 0;
}

int ApplyPassword(const Argument& argument, Job& job) {
    if (argument.valueLength > kMaxPasswordLength) return kExitPasswordTooLong;
    CopyValue(argument, job.password);
    job.login = true;
    return 0;
}

int ApplyFileName(const Argument& argument, int tooLong, wchar_t* name) {
    if (argument.valueLength > kMaxFileName) return tooLong;
    CopyValue(argument, name);
    return 0;
}

int CheckGroup(int keyword, BuildState& state) {
    const CommandGroup group = GroupOf(keyword);
    for (int other = 0; other < kGroupCount; ++other) {
        if (other != group && state.groups[other]) return kExitCannotCombine;
    }
    if (group == kGroupD && state.groups[kGroupD]) return kExitCannotCombine;
    state.groups[group] = true;
    return 0;
}

int CheckCommandValue(const Argument& argument, Job& job) {
    switch (argument.keyword) {
        case kKeywordVar: {
            const int check = CheckVariableList(argument.value);
            return check < 0 ? kVarCheckOffset + check : 0;
        }
        case kKeywordUpload: {
            const int check = CheckBlockList(argument.value);
            job.upload = true;
            return check < 0 ? kUploadCheckOffset + check : 0;
        }
        case kKeywordDownload: {
            const int check = CheckBlockList(argument.value);
            job.download = true;
            return check < 0 ? kDownloadCheckOffset + check : 0;
        }
        default:
            return 0;
    }
}

int ApplyCommand(int index, const Argument& argument, BuildState& state, Job& job) {
    const int group = CheckGroup(argument.keyword, state);
    if (group != 0) return group;
    const int check = CheckCommandValue(argument, job);
    if (check != 0) return check;
    job.commands[job.commandCount++] = CommandItem{argument.keyword, index};
    return 0;
}

int ApplyArgument(int index, const Argument& argument, BuildState& state, Job& job) {
    switch (argument.keyword) {
        case kKeywordMpi:
            return ApplyMpi(argument, state, job);
        case kKeywordIp:
            return ApplyIp(argument, state, job);
        case kKeywordPass:
            return ApplyPassword(argument, job);
        case kKeywordFileUpload:
            return ApplyFileName(argument, kExitUploadNameTooLong, job.uploadFile);
        case kKeywordFileDownload:
            return ApplyFileName(argument, kExitDownloadNameTooLong, job.downloadFile);
        default:
            return ApplyCommand(index, argument, state, job);
    }
}

void SetDefaults(Job& job) {
    job.transport = Transport::kMpi;
    job.mpiAddress = kDefaultMpiAddress;
    for (uint8_t& octet : job.ipv4) octet = 0;
    job.login = false;
    job.password[0] = L'\0';
    job.uploadFile[0] = L'\0';
    job.downloadFile[0] = L'\0';
    job.upload = false;
    job.download = false;
    job.commandCount = 0;
}

}  // namespace

bool ParseIpv4Address(const wchar_t* text, uint8_t* octets) {
    const wchar_t* p = text;
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && *p++ != L'.') return false;
        long number = 0;
        if (!ScanDecimal(p, number) || number < 0 || number > 255) return false;
        octets[i] = static_cast<uint8_t>(number);
    }
    return true;
}

int BuildJob(const ArgumentTable& arguments, Job& job) {
    SetDefaults(job);
    BuildState state;
    for (int index = 0; index < arguments.count; ++index) {
        const int result = ApplyArgument(index, arguments.items[index], state, job);
        if (result != 0) return result;
    }
    return 0;
}

}  // namespace vexal::cmd
