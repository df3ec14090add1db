// Any bytes as a variable list file: every line either becomes a variable of one element
// in one of the seven formats or is refused, and the text survives UTF-8 and back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "variable_list_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring text = vexal::Utf8ToWide(bytes);
    if (vexal::Utf8ToWide(vexal::WideToUtf8(text)) != text) std::abort();
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        vexal::ListedVariable listed;
        if (vexal::ParseVariableListLine(std::wstring_view(text).substr(start, end - start),
                                         &listed) &&
            (listed.descriptor.elementCount != 1 || listed.format < 1 || listed.format > 7)) {
            std::abort();
        }
        start = end + 1;
    }
    return 0;
}
