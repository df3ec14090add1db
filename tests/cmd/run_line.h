// Runs command lines through the program in process.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "run.h"

namespace vexal::cmd::testing {

// Runs the line, with every "{dir}" replaced by the folder, and returns its code. The
// only text a run may print is checked on the way: nothing for 0, else "error CODE".
inline int RunLine(std::string line, const std::string& folder = "") {
    for (size_t at; (at = line.find("{dir}")) != std::string::npos;) line.replace(at, 5, folder);
    const std::wstring wide(line.begin(), line.end());
    std::FILE* out = std::tmpfile();
    if (out == nullptr) std::abort();
    const int code = RunCommandLine(wide.c_str(), out);
    std::rewind(out);
    std::string printed;
    char chunk[256];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, out)) > 0;)
        printed.append(chunk, got);
    std::fclose(out);
    EXPECT_EQ(printed, code == 0 ? "" : "error " + std::to_string(code) + "\n") << line;
    return code;
}

}  // namespace vexal::cmd::testing
