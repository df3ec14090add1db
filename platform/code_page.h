// Conversions between the system's narrow text (UTF-8), wide text (wchar_t) and the UTF-16
// that device names travel in. Every conversion writes a terminated result into a buffer of
// `capacity` units (terminator included) and fails, with an empty result, when the text is
// not valid or does not fit.
#pragma once

#include <cstddef>

namespace vexal::platform {

bool WideToNarrow(const wchar_t* text, char* out, size_t capacity);
// `length` (optional) receives the number of units written without the terminator.
bool NarrowToWide(const char* text, wchar_t* out, size_t capacity, size_t* length);
bool NarrowToUtf16(const char* text, char16_t* out, size_t capacity, size_t* length);
bool Utf16ToNarrow(const char16_t* text, size_t length, char* out, size_t capacity);

}  // namespace vexal::platform
