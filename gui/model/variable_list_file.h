// The variable list file (*.csv): one line per variable, "address,format,modify value",
// no header, UTF-8 text. Lines may end in "\n" or "\r\n"; loading stops at the first empty
// line. Nothing here knows about widgets, so the format can be checked on its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cpulink.h"

namespace vexal {

inline constexpr int kFormatCount = 7;

// "BIN" for 1 up to "S5_TIME" for 7; empty for any other code.
const wchar_t* VariableFormatName(int format);
// The code whose name is exactly `name`, tried in code order; 0 when none is.
int VariableFormatOfName(std::wstring_view name);

// The three fields of a line as they stand in the file, before any trimming.
struct VariableListFields {
    std::wstring address;
    std::wstring format;
    std::wstring modify;
};

// Address before the first comma, format up to the second, modify value all the rest
// (further commas included); without any comma all three are empty.
VariableListFields SplitVariableListLine(std::wstring_view line);

// A line made into a variable: the descriptor without value address, what the table
// shows in its "Variable" and "Format" cells, and the modify value when one was given.
struct ListedVariable {
    VariableDescriptor descriptor{};
    int format = 0;
    std::wstring addressText;
    std::wstring formatText;
    bool hasModify = false;
    uint32_t modifyValue = 0;
};

// False when the address does not parse to one element, the format is none of the seven
// names (in any case) or a modify value does not convert. Blanks around fields are ignored.
bool ParseVariableListLine(std::wstring_view line, ListedVariable* variable);

// The lines of the file up to its first empty line, without their line ends. False when
// the file cannot be opened. Bytes that are not UTF-8 read as U+FFFD.
bool ReadVariableListFile(const char* path, std::vector<std::wstring>* lines);

// Writes "address,format,modify\n" per row in place of the file, all or nothing: on any
// failure the previous file stays as it was.
bool WriteVariableListFile(const char* path, const std::vector<VariableListFields>& rows);

// UTF-8 and back for the file's text; invalid sequences become U+FFFD.
std::wstring Utf8ToWide(std::string_view bytes);
std::string WideToUtf8(std::wstring_view text);

}  // namespace vexal
