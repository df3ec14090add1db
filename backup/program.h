// The whole program: vexal-backup PLANT_FILE ARCHIVE_DIR [--jobs N] [--json REPORT]
// [--station NAME]...
#pragma once

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace vexal::backup {

// Runs with the arguments after the program name; the report goes to `out`, progress and
// errors to `err`. Returns the exit status.
int RunBackupProgram(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err,
                     const std::atomic<bool>& stop);

}  // namespace vexal::backup
