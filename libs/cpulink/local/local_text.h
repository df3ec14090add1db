// Wide-text tools shared by the calls that need no controller: a fixed-size text builder,
// the two ways of handing a text to a caller's buffer, and a scanner over typed text.
// Only ASCII takes part in any grammar; every other character simply fails to match.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vexal::cpulink::local {

// A text built in place. Appending past the room sets overflowed() and keeps what fit,
// so a caller can never be handed a text longer than it was built for.
class TextBuilder {
public:
    static constexpr size_t kRoom = 192;

    void Append(std::string_view ascii);
    void Append(wchar_t c);
    void AppendDecimal(uint64_t value);
    void AppendSigned(int64_t value);
    // Upper-case hexadecimal, zero-padded to `digits` places.
    void AppendHex(uint32_t value, int digits);

    size_t Size() const { return length_; }
    bool Overflowed() const { return overflowed_; }
    const wchar_t* Data() const { return chars_; }

private:
    wchar_t chars_[kRoom] = {};
    size_t length_ = 0;
    bool overflowed_ = false;
};

// Address and value texts: a shortened one would name another address or value, so a text
// that does not fit leaves an empty text and gives 0. Non-zero when the text was written.
int WriteWhole(const TextBuilder& text, wchar_t* out, int capacity);

// Sentences: as much as fits, always terminated. Non-zero when a text was written.
int WriteTruncated(const TextBuilder& text, wchar_t* out, int capacity);

// Reads a terminated wide text from left to right. Nothing is ever read past the
// terminator. Letters compare without regard to case.
class Scanner {
public:
    explicit Scanner(const wchar_t* text) : at_(text) {}

    // Blanks are spaces, tabs and line breaks.
    void SkipBlanks();
    // True when only blanks remain.
    bool AtEndAfterBlanks();
    bool AtEnd() const { return *at_ == L'\0'; }

    // The next character, ASCII letters upper-cased; L'\0' at the end.
    wchar_t Peek() const;
    bool PeekDigit() const { return *at_ >= L'0' && *at_ <= L'9'; }
    // Consumes the next character; nothing at the end.
    void Advance() {
        if (!AtEnd()) ++at_;
    }

    // Consumes `c` (compared case-insensitively) when it comes next.
    bool Take(char c);
    // Consumes `upper` when the text continues with it in any case.
    bool TakeWord(std::string_view upper);
    // Consumes a run of ASCII letters, upper-cased into `out`. False (nothing consumed)
    // for an empty run or one longer than `room`.
    bool TakeLetters(char* out, size_t room, size_t* length);
    // Consumes a run of decimal digits worth at most `limit`. False (nothing consumed)
    // when no digit comes next or the value is larger.
    bool TakeNumber(uint64_t limit, uint64_t* value);

private:
    const wchar_t* at_;
};

// Upper-cases an ASCII letter; every other character is returned as it is.
constexpr wchar_t AsciiUpper(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? c - 32 : c;
}

}  // namespace vexal::cpulink::local
