#include "local_text.h"

namespace vexal::cpulink::local {

void TextBuilder::Append(std::string_view ascii) {
    for (char c : ascii) Append(static_cast<wchar_t>(static_cast<unsigned char>(c)));
}

void TextBuilder::Append(wchar_t c) {
    // One place stays free for the terminator.
    if (length_ + 1 >= kRoom) {
        overflowed_ = true;
        return;
    }
    chars_[length_++] = c;
    chars_[length_] = L'\0';
}

void TextBuilder::AppendDecimal(uint64_t value) {
    char digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0) Append(static_cast<wchar_t>(digits[--count]));
}

void TextBuilder::AppendSigned(int64_t value) {
    if (value < 0) {
        Append(L'-');
        AppendDecimal(0 - static_cast<uint64_t>(value));
        return;
    }
    AppendDecimal(static_cast<uint64_t>(value));
}

void TextBuilder::AppendHex(uint32_t value, int digits) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
        Append(static_cast<wchar_t>(kHex[(value >> shift) & 0xF]));
    }
}

int WriteWhole(const TextBuilder& text, wchar_t* out, int capacity) {
    if (out == nullptr || capacity < 1) return 0;
    out[0] = L'\0';
    if (text.Overflowed() || text.Size() + 1 > static_cast<size_t>(capacity)) return 0;
    for (size_t i = 0; i < text.Size(); ++i) out[i] = text.Data()[i];
    out[text.Size()] = L'\0';
    return 1;
}

int WriteTruncated(const TextBuilder& text, wchar_t* out, int capacity) {
    if (out == nullptr || capacity < 1) return 0;
    size_t count = text.Size();
    if (count > static_cast<size_t>(capacity) - 1) count = static_cast<size_t>(capacity) - 1;
    for (size_t i = 0; i < count; ++i) out[i] = text.Data()[i];
    out[count] = L'\0';
    return 1;
}

void Scanner::SkipBlanks() {
    while (*at_ == L' ' || *at_ == L'\t' || *at_ == L'\r' || *at_ == L'\n') ++at_;
}

bool Scanner::AtEndAfterBlanks() {
    SkipBlanks();
    return AtEnd();
}

wchar_t Scanner::Peek() const {
    return AsciiUpper(*at_);
}

bool Scanner::Take(char c) {
    if (AtEnd() || Peek() != AsciiUpper(static_cast<wchar_t>(c))) return false;
    ++at_;
    return true;
}

bool Scanner::TakeWord(std::string_view upper) {
    for (size_t i = 0; i < upper.size(); ++i) {
        // The terminator never equals a letter of `upper`, so this stops in time.
        if (AsciiUpper(at_[i]) != static_cast<wchar_t>(upper[i])) return false;
    }
    at_ += upper.size();
    return true;
}

bool Scanner::TakeLetters(char* out, size_t room, size_t* length) {
    size_t count = 0;
    while (true) {
        const wchar_t c = AsciiUpper(at_[count]);
        if (c < L'A' || c > L'Z') break;
        if (count == room) return false;
        out[count++] = static_cast<char>(c);
    }
    if (count == 0) return false;
    at_ += count;
    *length = count;
    return true;
}

bool Scanner::TakeNumber(uint64_t limit, uint64_t* value) {
    size_t count = 0;
    uint64_t result = 0;
    bool tooLarge = false;
    while (at_[count] >= L'0' && at_[count] <= L'9') {
        if (!tooLarge) {
            result = result * 10 + static_cast<uint64_t>(at_[count] - L'0');
            tooLarge = result > limit;
        }
        ++count;
    }
    if (count == 0 || tooLarge) return false;
    at_ += count;
    *value = result;
    return true;
}

}  // namespace vexal::cpulink::local
