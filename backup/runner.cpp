#include "runner.h"

#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "archive.h"
#include "station_capture.h"

namespace vexal::backup {
namespace {

constexpr char kStoppedText[] = "stopped before the backup was complete";

StationResult BackUpStation(const Station& station, const RunOptions& options,
                            const std::atomic<bool>& stop, Progress& progress) {
    StationResult result;
    result.name = station.name;
    Capture capture;
    const auto report = [&](int done, int total) { progress.Blocks(station.name, done, total); };
    if (!CaptureStation(station, stop, report, &capture, &result.error)) {
        if (stop) result.error = kStoppedText;
        return result;
    }
    std::vector<ManifestEntry> previous;
    const bool known = ReadPreviousManifest(options.archive, station.name, &previous);
    if (!WriteStationFolder(options.archive, station.name, capture, &result.error)) return result;
    result.blocks = static_cast<int>(capture.manifest.size());
    result.changes = CompareManifests(previous, capture.manifest);
    if (!known) {
        result.outcome = Outcome::kNew;
    } else {
        result.outcome = result.changes.Any() ? Outcome::kChanged : Outcome::kUnchanged;
    }
    return result;
}

// Hands out stations so that no controller has two links at once.
class Schedule {
public:
    explicit Schedule(const std::vector<Station>& stations)
        : stations_(stations), taken_(stations.size(), false) {}

    // The index of the next station to run, or -1 when none is left.
    int Take(const std::atomic<bool>& stop) {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            if (stop) return -1;
            bool waiting = false;
            for (size_t i = 0; i < stations_.size(); ++i) {
                if (taken_[i]) continue;
                const std::string key = ControllerKey(stations_[i]);
                if (busy_.count(key) != 0) {
                    waiting = true;
                    continue;
                }
                taken_[i] = true;
                busy_.insert(key);
                return static_cast<int>(i);
            }
            if (!waiting) return -1;
            released_.wait(lock);
        }
    }

    void Release(int index) {
        std::lock_guard<std::mutex> lock(mutex_);
        busy_.erase(ControllerKey(stations_[index]));
        released_.notify_all();
    }

private:
    const std::vector<Station>& stations_;
    std::vector<bool> taken_;
    std::set<std::string> busy_;
    std::mutex mutex_;
    std::condition_variable released_;
};

}  // namespace

std::vector<StationResult> RunStations(const std::vector<Station>& stations,
                                       const RunOptions& options, const std::atomic<bool>& stop,
                                       Progress& progress) {
    std::vector<StationResult> results(stations.size());
    for (size_t i = 0; i < stations.size(); ++i) {
        results[i].name = stations[i].name;
        results[i].error = kStoppedText;
    }
    Schedule schedule(stations);
    const auto work = [&] {
        for (int index; (index = schedule.Take(stop)) >= 0;) {
            results[index] = BackUpStation(stations[index], options, stop, progress);
            schedule.Release(index);
            progress.Finished(results[index]);
        }
    };
    std::vector<std::thread> workers;
    const size_t count = std::min(stations.size(), static_cast<size_t>(std::max(options.jobs, 1)));
    for (size_t i = 0; i < count; ++i) workers.emplace_back(work);
    for (std::thread& worker : workers) worker.join();
    return results;
}

}  // namespace vexal::backup
