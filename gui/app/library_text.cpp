#include "library_text.h"

#include <cwchar>
#include <vector>

namespace vexal {

std::optional<QString> LibraryErrorText(CpuStatus status, int capacity) {
    if (capacity < 1) return std::nullopt;
    std::vector<wchar_t> buffer(static_cast<size_t>(capacity), L'\0');
    if (cpuLink_ErrorString(status, buffer.data(), capacity) == 0) return std::nullopt;
    // A library that filled every character without a terminator still gives its text.
    buffer.back() = L'\0';
    return QString::fromWCharArray(buffer.data(),
                                   static_cast<qsizetype>(std::wcslen(buffer.data())));
}

}  // namespace vexal
