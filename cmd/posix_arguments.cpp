#include "posix_arguments.h"

#include <cwctype>

#include "wide_text.h"

namespace vexal::cmd {
namespace {

bool EqualsIgnoringCase(const std::wstring& text, const wchar_t* lowerCase) {
    size_t i = 0;
    for (; i < text.size() && lowerCase[i] != L'\0'; ++i) {
        if (std::towlower(static_cast<wint_t>(text[i])) != static_cast<wint_t>(lowerCase[i])) {
            return false;
        }
    }
    return i == text.size() && lowerCase[i] == L'\0';
}

bool IsBareFileOption(const std::wstring& argument) {
    return EqualsIgnoringCase(argument, L"/fileupload") ||
           EqualsIgnoringCase(argument, L"/filedownload");
}

bool IsQuoted(const std::wstring& argument) {
    return argument.size() >= 2 && argument.front() == L'"' && argument.back() == L'"';
}

}  // namespace

std::wstring JoinArguments(int count, const char* const* arguments) {
    std::wstring line;
    bool valueFollows = false;
    for (int i = 0; i < count; ++i) {
        const std::wstring argument = Utf8ToWide(arguments[i]);
        if (i > 0) line += L' ';
        if (valueFollows && !IsQuoted(argument)) {
            line += L'"' + argument + L'"';
        } else {
            line += argument;
        }
        valueFollows = IsBareFileOption(argument) && !valueFollows;
    }
    return line;
}

}  // namespace vexal::cmd
