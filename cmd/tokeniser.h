// Splits the command line into "/" keyword value arguments.
#pragma once

#include "keywords.h"

namespace vexal::cmd {

inline constexpr int kMaxArguments = 20;
inline constexpr int kMaxArgumentText = 512;
inline constexpr int kMaxValueLength = 256;

struct Argument {
    int keyword;
    int valueLength;
    wchar_t value[kMaxValueLength + 1];
};

struct ArgumentTable {
    Argument items[kMaxArguments];
    int count;
};

enum TokeniserFailure {
    kTooManyArguments = -1,
    kMissingSlash = -2,
    kArgumentTooLong = -3,
    kEndsBeforeKeyword = -4,
    kKeywordTooLong = -5,
    kUnclosedQuote = -6,
    kValueTooLong = -7,
    kUnknownKeyword = -8,
};

// Fills the table from the line and returns the number of arguments, or a
// TokeniserFailure. An empty line (or a null pointer) has no arguments.
//
// A "/" starts a new argument, except inside a double-quoted value of a known keyword:
// there the quoted text runs to the next double quote, so POSIX paths can be given.
int TokeniseCommandLine(const wchar_t* line, ArgumentTable& table);

}  // namespace vexal::cmd
