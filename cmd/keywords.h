// The keywords of the command line. Their order is the order of lookup and also orders
// the command kinds.
#pragma once

namespace vexal::cmd {

enum Keyword {
    kKeywordMpi,
    kKeywordIp,
    kKeywordPass,
    kKeywordFileUpload,
    kKeywordFileDownload,
    kKeywordVar,
    kKeywordUpload,
    kKeywordDownload,
    kKeywordCompress,
    kKeywordRamToRom,
    kKeywordClear,
    kKeywordStop,
    kKeywordRun,
    kKeywordCount,
    kNoKeyword = -1
};

inline constexpr int kMaxKeywordLetters = 20;

// The keyword spelled by exactly these lower-case letters, or kNoKeyword.
int LookUpKeyword(const wchar_t* letters, int length);

constexpr bool IsCommand(int keyword) {
    return keyword >= kKeywordVar && keyword <= kKeywordRun;
}

}  // namespace vexal::cmd
