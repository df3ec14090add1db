// Arbitrary bytes through the text conversions of the command program and the platform:
// UTF-8 to wide and back, UTF-8 to UTF-16 and back, and the dotted-quad parsers, each into
// buffers of exactly the capacity it is given, so that any overrun is caught.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "code_page.h"
#include "dotted_quad.h"
#include "fuzz_text.h"
#include "job.h"
#include "wide_text.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

template <typename T>
std::unique_ptr<T[]> Exactly(size_t units) {
    return std::make_unique<T[]>(units == 0 ? 1 : units);
}

void CheckProgramUtf8(const std::string& narrow, size_t capacity) {
    const std::wstring wide = vexal::cmd::Utf8ToWide(narrow.c_str());
    const size_t room = wide.size() * vexal::cmd::kMaxUtf8PerCharacter + 1;
    std::vector<char> whole(room);
    Require(vexal::cmd::WideToUtf8(wide.c_str(), whole.data(), room));
    Require(vexal::cmd::Utf8ToWide(whole.data()) == wide);
    if (capacity == 0) return;
    auto small = Exactly<char>(capacity);
    if (vexal::cmd::WideToUtf8(wide.c_str(), small.get(), capacity)) {
        Require(std::strcmp(small.get(), whole.data()) == 0);
    }
}

void CheckPlatformUtf16(const std::string& narrow, size_t capacity) {
    auto utf16 = Exactly<char16_t>(capacity);
    size_t length = 0;
    if (!vexal::platform::NarrowToUtf16(narrow.c_str(), utf16.get(), capacity, &length)) return;
    Require(length < capacity);
    auto back = Exactly<char>(narrow.size() + 1);
    Require(vexal::platform::Utf16ToNarrow(utf16.get(), length, back.get(), narrow.size() + 1));
    Require(narrow == back.get());
    auto wide = Exactly<wchar_t>(capacity);
    if (vexal::platform::NarrowToWide(narrow.c_str(), wide.get(), capacity, &length)) {
        auto again = Exactly<char>(narrow.size() + 1);
        Require(vexal::platform::WideToNarrow(wide.get(), again.get(), narrow.size() + 1));
        Require(narrow == again.get());
    }
}

void CheckAddresses(const std::string& narrow, const uint8_t* data, size_t size) {
    uint8_t octets[4];
    vexal::ParseDottedQuad(narrow.c_str(), octets);
    const std::vector<wchar_t> wide = vexal::fuzzing::WideText(data, size);
    vexal::cmd::ParseIpv4Address(wide.data(), octets);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // Byte 0 picks the output capacity; the rest, up to a NUL, is the text.
    const size_t capacity = data[0] % 64;
    const std::string narrow(reinterpret_cast<const char*>(data + 1),
                             strnlen(reinterpret_cast<const char*>(data + 1), size - 1));
    CheckProgramUtf8(narrow, capacity);
    CheckPlatformUtf16(narrow, capacity);
    CheckAddresses(narrow, data + 1, size - 1);
    return 0;
}
