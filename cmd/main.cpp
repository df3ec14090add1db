// VexalCmdCE: one unattended job per start; the exit code is the whole result.
#include <cstdio>
#include <string>

#include "posix_arguments.h"
#include "run.h"

int main(int argc, char** argv) {
    const std::wstring commandLine = vexal::cmd::JoinArguments(argc - 1, argv + 1);
    return vexal::cmd::RunCommandLine(commandLine.c_str(), stdout);
}
