#include "variable_list_file.h"

#include <cwctype>
#include <fstream>
#include <iterator>

#include "replacing_file.h"

namespace vexal {
namespace {

constexpr const wchar_t* kFormatNames[kFormatCount] = {L"BIN",     L"DEC",     L"HEX",    L"FLOAT",
                                                       L"POINTER", L"COUNTER", L"S5_TIME"};
constexpr wchar_t kReplacement = 0xFFFD;

std::wstring Trimmed(std::wstring_view text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && std::iswspace(static_cast<wint_t>(text[first]))) ++first;
    while (last > first && std::iswspace(static_cast<wint_t>(text[last - 1]))) --last;
    return std::wstring(text.substr(first, last - first));
}

std::wstring UpperCase(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return text;
}

// The length of a UTF-8 sequence from its lead byte and the bits the lead contributes;
// 0 for a byte that cannot start one.
size_t SequenceLength(unsigned char lead, uint32_t* bits) {
    if (lead < 0x80) return *bits = lead, 1;
    if ((lead & 0xE0) == 0xC0) return *bits = lead & 0x1F, 2;
    if ((lead & 0xF0) == 0xE0) return *bits = lead & 0x0F, 3;
    if ((lead & 0xF8) == 0xF0) return *bits = lead & 0x07, 4;
    return 0;
}

bool IsValidCodePoint(uint32_t code, size_t length) {
    static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    return code >= kSmallest[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
}

}  // namespace

const wchar_t* VariableFormatName(int format) {
    return format >= 1 && format <= kFormatCount ? kFormatNames[format - 1] : L"";
}

int VariableFormatOfName(std::wstring_view name) {
    for (int format = 1; format <= kFormatCount; ++format) {
        if (name == kFormatNames[format - 1]) return format;
    }
    return 0;
}

VariableListFields SplitVariableListLine(std::wstring_view line) {
    const size_t first = line.find(L',');
    if (first == std::wstring_view::npos) return {};
    const size_t second = line.find(L',', first + 1);
    VariableListFields fields;
    fields.address = line.substr(0, first);
    if (second == std::wstring_view::npos) {
        fields.format = line.substr(first + 1);
        return fields;
    }
    fields.format = line.substr(first + 1, second - first - 1);
    fields.modify = line.substr(second + 1);
    return fields;
}

bool ParseVariableListLine(std::wstring_view line, ListedVariable* variable) {
    const VariableListFields fields = SplitVariableListLine(line);
    ListedVariable parsed;
    parsed.addressText = Trimmed(fields.address);
    if (cpuLink_ParseVariableW(&parsed.descriptor, parsed.addressText.c_str()) == 0 ||
        parsed.descriptor.elementCount != 1) {
        return false;
    }
    parsed.formatText = UpperCase(Trimmed(fields.format));
    parsed.format = VariableFormatOfName(parsed.formatText);
    if (parsed.format == 0) return false;
    const std::wstring modify = Trimmed(fields.modify);
    if (!modify.empty()) {
        VariableDescriptor converter = parsed.descriptor;
        converter.value = &parsed.modifyValue;
        if (cpuLink_SetVariableValueFromStringW(&converter, modify.c_str()) == 0) return false;
        parsed.hasModify = true;
    }
    *variable = std::move(parsed);
    return true;
}

bool ReadVariableListFile(const char* path, std::vector<std::wstring>* lines) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    const std::wstring text = Utf8ToWide(bytes);
    lines->clear();
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (line.empty()) break;
        lines->push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

bool WriteVariableListFile(const char* path, const std::vector<VariableListFields>& rows) {
    std::wstring text;
    for (const VariableListFields& row : rows) {
        text += row.address + L',' + row.format + L',' + row.modify + L'\n';
    }
    const std::string bytes = WideToUtf8(text);
    platform::ReplacingFile file;
    if (!file.Open(path)) return false;
    if (!bytes.empty() && !file.Write(bytes.data(), bytes.size())) return false;
    return file.Commit();
}

std::wstring Utf8ToWide(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (size_t at = 0; at < bytes.size();) {
        uint32_t code = 0;
        const size_t length = SequenceLength(static_cast<unsigned char>(bytes[at]), &code);
        size_t taken = 1;
        while (length > 1 && taken < length && at + taken < bytes.size() &&
               (static_cast<unsigned char>(bytes[at + taken]) & 0xC0) == 0x80) {
            code = code << 6 | (static_cast<unsigned char>(bytes[at + taken]) & 0x3F);
            ++taken;
        }
        const bool valid = length != 0 && taken == length && IsValidCodePoint(code, length);
        text += valid ? static_cast<wchar_t>(code) : kReplacement;
        at += valid ? length : taken;
    }
    return text;
}

std::string WideToUtf8(std::wstring_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const wchar_t c : text) {
        uint32_t code = static_cast<uint32_t>(c);
        if (!IsValidCodePoint(code, 1)) code = kReplacement;
        if (code < 0x80) {
            bytes += static_cast<char>(code);
        } else if (code < 0x800) {
            bytes += static_cast<char>(0xC0 | code >> 6);
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes += static_cast<char>(0xE0 | code >> 12);
            bytes += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | code >> 18);
            bytes += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            bytes += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return bytes;
}

}  // namespace vexal
