// One complete run of the command program.
#pragma once

#include <cstdio>

namespace vexal::cmd {

// Tokenises the command line (the arguments only), builds the job, prepares the files,
// connects, runs the commands, disconnects and writes the upload file. Returns the exit
// code; when it is not 0, "error %d\n" with the code is the only text written to `out`.
// The state is static: runs must not overlap.
int RunCommandLine(const wchar_t* commandLine, std::FILE* out);

}  // namespace vexal::cmd
