// What a run tells: the report on standard output, the same as JSON, the commit message
// and the exit status.
#pragma once

#include <string>
#include <vector>

#include "runner.h"

namespace vexal::backup {

enum ExitStatus {
    kExitNothingChanged = 0,
    kExitChanged = 1,
    kExitStationFailed = 2,
    kExitBadUsage = 3,
};

const char* OutcomeName(Outcome outcome);  // "backed up", "unchanged", "changed", "failed"
// The station's line after its name: the outcome and what changed or why it failed.
std::string OutcomeDetails(const StationResult& result);

std::string TextReport(const std::vector<StationResult>& results);
std::string JsonReport(const std::vector<StationResult>& results, const std::string& commitId,
                       int exitStatus);
std::string CommitMessage(const std::vector<StationResult>& results);
int RunExitStatus(const std::vector<StationResult>& results);

}  // namespace vexal::backup
