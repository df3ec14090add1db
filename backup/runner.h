// Runs the stations of a plant side by side: at most `jobs` links at a time and never two
// to one controller. Each station is captured, compared with its last backup and written.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "manifest.h"
#include "plant_file.h"

namespace vexal::backup {

enum class Outcome { kNew, kUnchanged, kChanged, kFailed };

struct StationResult {
    std::string name;
    Outcome outcome = Outcome::kFailed;
    std::string error;
    StationChanges changes;
    int blocks = 0;
};

// Told of every station's progress, from the worker threads.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void Blocks(const std::string& station, int done, int total) = 0;
    virtual void Finished(const StationResult& result) = 0;
};

struct RunOptions {
    std::string archive;
    int jobs = 4;
};

// One result per station, in plant order. Once `stop` is set no station starts and the
// running ones end as failed without writing.
std::vector<StationResult> RunStations(const std::vector<Station>& stations,
                                       const RunOptions& options, const std::atomic<bool>& stop,
                                       Progress& progress);

}  // namespace vexal::backup
