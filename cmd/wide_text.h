// Conversions between the program's wide text and the UTF-8 of POSIX file names and
// arguments, independent of the process locale.
#pragma once

#include <cstddef>
#include <string>

namespace vexal::cmd {

// Longest UTF-8 form of one wide character.
inline constexpr size_t kMaxUtf8PerCharacter = 4;

// Encodes `text` into `out` (capacity bytes, always terminated). A character that is no
// Unicode scalar value becomes U+FFFD. False when it did not fit.
bool WideToUtf8(const wchar_t* text, char* out, size_t capacity);

// Decodes UTF-8; every byte that does not start a well-formed sequence becomes U+FFFD.
std::wstring Utf8ToWide(const char* text);

}  // namespace vexal::cmd
