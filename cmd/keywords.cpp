#include "keywords.h"

#include <cwchar>

namespace vexal::cmd {

int LookUpKeyword(const wchar_t* letters, int length) {
    static const wchar_t* const kNames[kKeywordCount] = {
        L"mpi",      L"ip",       L"pass",     L"fileupload", L"filedownload", L"var", L"upload",
        L"download", L"compress", L"ramtorom", L"clear",      L"stop",         L"run"};
    for (int keyword = 0; keyword < kKeywordCount; ++keyword) {
        const wchar_t* name = kNames[keyword];
        if (static_cast<int>(std::wcslen(name)) == length &&
            std::wmemcmp(name, letters, length) == 0) {
            return keyword;
        }
    }
    return kNoKeyword;
}

}  // namespace vexal::cmd
