// Table files beside the tests: one row a line, each as its fields, which are words split
// at blanks or texts between "|". In a text, \n stands for a line end and \uXXXX for that
// character. A line starting with "#" is a comment.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vexal::testing {

using TableRow = std::vector<std::wstring>;

inline std::wstring Unescaped(const std::string& line, size_t from, size_t to) {
    std::wstring text;
    for (size_t i = from; i < to; ++i) {
        const bool escaped = line[i] == '\\' && i + 1 < to;
        if (escaped && line[i + 1] == 'n') {
            text += L'\n';
        } else if (escaped && line[i + 1] == 'u') {
            text += static_cast<wchar_t>(std::stoul(line.substr(i + 2, 4), nullptr, 16));
            i += 4;
        } else {
            text += static_cast<wchar_t>(line[i]);
        }
        if (escaped) ++i;
    }
    return text;
}

// A field of ASCII and bytes as the narrow text it stands for.
inline std::string Narrow(const std::wstring& field) {
    std::string text;
    for (wchar_t c : field) text += static_cast<char>(c);
    return text;
}

// The number a field gives in hexadecimal.
inline uint32_t Hex(const std::wstring& field) {
    return static_cast<uint32_t>(std::stoul(field, nullptr, 16));
}

// The data file `name` beside the source file `beside`. A compiler cache may leave
// __FILE__ relative to the build folder; then the path under tests/ is taken from the
// source tree that VEXAL_SOURCE_DIR names, or else from the current folder. A test fails
// when the file cannot be read.
inline std::ifstream OpenBeside(const char* beside, const char* name) {
    std::filesystem::path path = std::filesystem::path(beside).parent_path() / name;
    const std::string text = path.generic_string();
    const size_t tests = text.rfind("tests/");
    const char* source = std::getenv("VEXAL_SOURCE_DIR");
    if (!std::filesystem::exists(path) && tests != std::string::npos)
        path = std::filesystem::path(source != nullptr ? source : ".") / text.substr(tests);
    std::ifstream in(path);
    if (!in) ADD_FAILURE() << "cannot read " << path;
    return in;
}

// The rows of the table file `name` in the folder of the source file `beside`; a test
// fails when it has none.
inline std::vector<TableRow> LoadTable(const char* beside, const char* name) {
    std::ifstream in = OpenBeside(beside, name);
    std::vector<TableRow> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        TableRow& row = rows.emplace_back();
        for (size_t at = line.find_first_not_of(' '); at < line.size();
             at = line.find_first_not_of(' ', at)) {
            const size_t quoted = line[at] == '|' ? 1 : 0;
            const size_t end = std::min(line.find(quoted ? '|' : ' ', at + quoted), line.size());
            row.push_back(Unescaped(line, at + quoted, end));
            at = end + quoted;
        }
    }
    EXPECT_FALSE(rows.empty()) << name;
    return rows;
}

}  // namespace vexal::testing
