// Builds the one command line the program reads from POSIX arguments.
#pragma once

#include <string>

namespace vexal::cmd {

// Joins the arguments (without the program name) with single spaces. An argument that
// directly follows a bare "/fileupload" or "/filedownload" (any case, no value of its
// own) is that option's whole value: it is passed in double quotes, so a path such as
// /tmp/cpu.wld does not start new arguments. A value already in double quotes is passed
// as it is.
std::wstring JoinArguments(int count, const char* const* arguments);

}  // namespace vexal::cmd
