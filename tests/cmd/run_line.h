// Runs command lines through the program in process and captures what it prints.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "run.h"

namespace vexal::cmd::testing {

struct RunOutcome {
    int code;
    std::string output;
};

inline std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

inline RunOutcome RunLine(const std::wstring& line) {
    std::FILE* out = std::tmpfile();
    if (out == nullptr) std::abort();
    RunOutcome outcome{RunCommandLine(line.c_str(), out), {}};
    std::rewind(out);
    char chunk[256];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, out)) > 0) outcome.output.append(chunk, got);
    std::fclose(out);
    return outcome;
}

inline RunOutcome RunLine(const std::string& line) {
    return RunLine(Widen(line));
}

// The only text a run may print: nothing for 0, else one line with the code.
inline std::string ExpectedOutput(int code) {
    return code == 0 ? std::string() : "error " + std::to_string(code) + "\n";
}

// Replaces every "{dir}" with the folder.
inline std::string InFolder(std::string line, const std::string& folder) {
    for (size_t at; (at = line.find("{dir}")) != std::string::npos;) line.replace(at, 5, folder);
    return line;
}

}  // namespace vexal::cmd::testing
