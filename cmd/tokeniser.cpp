#include "tokeniser.h"

#include <cwchar>
#include <cwctype>

namespace vexal::cmd {
namespace {

struct KeywordScan {
    int failure;          // 0 or a TokeniserFailure
    int keyword;          // kNoKeyword when a non-letter ended the letters
    const wchar_t* rest;  // behind the keyword
};

// Letters are taken one at a time until they spell a keyword (the shortest match wins,
// so "/mpi3" and "/stopnow" work) or a non-letter ends them.
KeywordScan ScanKeyword(const wchar_t* text, const wchar_t* end) {
    wchar_t letters[kMaxKeywordLetters];
    int count = 0;
    for (const wchar_t* p = text;; ++p) {
        if (p == end) return {kEndsBeforeKeyword, kNoKeyword, p};
        if (!std::iswalpha(static_cast<wint_t>(*p))) return {0, kNoKeyword, p};
        if (count == kMaxKeywordLetters) return {kKeywordTooLong, kNoKeyword, p};
        letters[count++] = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(*p)));
        const int keyword = LookUpKeyword(letters, count);
        if (keyword != kNoKeyword) return {0, keyword, p + 1};
    }
}

const wchar_t* SkipSpaces(const wchar_t* p, const wchar_t* end) {
    while (p < end && *p == L' ') ++p;
    return p;
}

const wchar_t* Find(const wchar_t* p, const wchar_t* end, wchar_t wanted) {
    while (p < end && *p != wanted) ++p;
    return p;
}

// Where the argument starting at `text` ends: at the next "/" or the end of the line.
// A quoted value of a known keyword is skipped up to its closing quote first; without a
// closing quote the plain rule holds.
const wchar_t* ArgumentEnd(const wchar_t* text, const wchar_t* lineEnd) {
    const wchar_t* searchFrom = text;
    const KeywordScan scan = ScanKeyword(text, lineEnd);
    if (scan.failure == 0 && scan.keyword != kNoKeyword) {
        const wchar_t* value = SkipSpaces(scan.rest, lineEnd);
        if (value < lineEnd && *value == L'"') {
            const wchar_t* closing = Find(value + 1, lineEnd, L'"');
            if (closing < lineEnd) searchFrom = closing + 1;
        }
    }
    return Find(searchFrom, lineEnd, L'/');
}

int ParseArgument(const wchar_t* text, const wchar_t* end, Argument& argument) {
    if (end - text > kMaxArgumentText) return kArgumentTooLong;
    while (end > text && end[-1] == L' ') --end;
    const KeywordScan scan = ScanKeyword(text, end);
    if (scan.failure != 0) return scan.failure;
    const wchar_t* value = SkipSpaces(scan.rest, end);
    if (value < end && *value == L'"') {
        if (end - value < 2 || end[-1] != L'"') return kUnclosedQuote;
        ++value;
        --end;
    }
    const int length = static_cast<int>(end - value);
    if (length > kMaxValueLength) return kValueTooLong;
    if (scan.keyword == kNoKeyword) return kUnknownKeyword;
    argument.keyword = scan.keyword;
    argument.valueLength = length;
    std::wmemcpy(argument.value, value, length);
    argument.value[length] = L'\0';
    return 0;
}

}  // namespace

int TokeniseCommandLine(const wchar_t* line, ArgumentTable& table) {
    table.count = 0;
    if (line == nullptr || *line == L'\0') return 0;
    const wchar_t* lineEnd = line + std::wcslen(line);
    const wchar_t* p = line;
    while (p < lineEnd) {
        if (table.count == kMaxArguments) return kTooManyArguments;
        p = SkipSpaces(p, lineEnd);
        if (p == lineEnd || *p != L'/') return kMissingSlash;
        ++p;
        const wchar_t* end = ArgumentEnd(p, lineEnd);
        const int failure = ParseArgument(p, end, table.items[table.count]);
        if (failure != 0) return failure;
        ++table.count;
        p = end;
    }
    return table.count;
}

}  // namespace vexal::cmd
