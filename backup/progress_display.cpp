#include "progress_display.h"

#include "report.h"

namespace vexal::backup {

void ProgressDisplay::Blocks(const std::string& station, int done, int total) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!terminal_) {
        if (done == 0) std::fprintf(out_, "%s: %d blocks to upload\n", station.c_str(), total);
        return;
    }
    active_[station] = {done, total};
    Redraw();
}

void ProgressDisplay::Finished(const StationResult& result) {
    std::lock_guard<std::mutex> lock(mutex_);
    active_.erase(result.name);
    if (terminal_) std::fputs("\r\033[K", out_);
    std::fprintf(out_, "%s: %s\n", result.name.c_str(), OutcomeDetails(result).c_str());
    if (terminal_) Redraw();
    std::fflush(out_);
}

void ProgressDisplay::Redraw() {
    std::string line = "\r\033[K";
    for (const auto& [station, counts] : active_) {
        line += station + " " + std::to_string(counts.first) + "/" + std::to_string(counts.second) +
                "  ";
    }
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
}

}  // namespace vexal::backup
