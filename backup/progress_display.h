// Progress on standard error: on a terminal one line redrawn with every active station's
// blocks done of total; otherwise plain lines when a station starts uploading and ends.
#pragma once

#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "runner.h"

namespace vexal::backup {

class ProgressDisplay : public Progress {
public:
    ProgressDisplay(std::FILE* out, bool terminal) : out_(out), terminal_(terminal) {}
    void Blocks(const std::string& station, int done, int total) override;
    void Finished(const StationResult& result) override;

private:
    void Redraw();

    std::FILE* out_;
    bool terminal_;
    std::mutex mutex_;
    std::map<std::string, std::pair<int, int>> active_;
};

}  // namespace vexal::backup
