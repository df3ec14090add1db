#include "program.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "file_lock.h"
#include "history.h"
#include "plant_file.h"
#include "progress_display.h"
#include "report.h"
#include "runner.h"

namespace vexal::backup {
namespace {

constexpr int kDefaultJobs = 4;
constexpr int kMaxJobs = 16;  // the MPI adapter library holds 16 adapters at a time

constexpr char kUsage[] =
    "usage: vexal-backup PLANT_FILE ARCHIVE_DIR [--jobs N] [--json REPORT] [--station NAME]...\n";

struct Arguments {
    std::string plantFile;
    std::string archive;
    std::string jsonFile;
    std::set<std::string> only;
    int jobs = kDefaultJobs;
};

bool ParseJobs(const std::string& text, int* jobs) {
    if (text.empty() || text.size() > 2 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    *jobs = std::stoi(text);
    return *jobs >= 1 && *jobs <= kMaxJobs;
}

bool ParseArguments(const std::vector<std::string>& words, Arguments* arguments) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        const bool hasValue = i + 1 < words.size();
        if (word == "--jobs") {
            if (!hasValue || !ParseJobs(words[++i], &arguments->jobs)) return false;
        } else if (word == "--json" && hasValue) {
            arguments->jsonFile = words[++i];
        } else if (word == "--station" && hasValue) {
            arguments->only.insert(words[++i]);
        } else if (word.empty() || word[0] == '-') {
            return false;
        } else {
            positional.push_back(word);
        }
    }
    if (positional.size() != 2) return false;
    arguments->plantFile = positional[0];
    arguments->archive = positional[1];
    return true;
}

// Relative password files are found beside the plant file.
PasswordReader BesidePlantFile(const std::string& plantFile) {
    const std::filesystem::path folder = std::filesystem::path(plantFile).parent_path();
    return [folder](const std::string& path, std::string* password) {
        const std::filesystem::path file(path);
        return ReadPasswordFile((file.is_absolute() ? file : folder / file).string(), password);
    };
}

bool LoadPlant(const Arguments& arguments, std::vector<Station>* stations, std::FILE* err) {
    std::ifstream in(arguments.plantFile);
    if (!in) {
        std::fprintf(err, "vexal-backup: cannot read %s\n", arguments.plantFile.c_str());
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<Station> all;
    const auto errors = ParsePlant(text.str(), BesidePlantFile(arguments.plantFile), &all);
    for (const PlantError& error : errors) {
        std::fprintf(err, "%s:%d: %s\n", arguments.plantFile.c_str(), error.line,
                     error.message.c_str());
    }
    std::set<std::string> unknown = arguments.only;
    for (const Station& station : all) {
        unknown.erase(station.name);
        if (arguments.only.empty() || arguments.only.count(station.name) != 0) {
            stations->push_back(station);
        }
    }
    for (const std::string& name : unknown) {
        std::fprintf(err, "vexal-backup: no station '%s' in %s\n", name.c_str(),
                     arguments.plantFile.c_str());
    }
    return errors.empty() && unknown.empty();
}

bool WriteJson(const std::string& path, const std::string& json) {
    std::ofstream out(path, std::ios::trunc);
    out << json;
    return static_cast<bool>(out.flush());
}

}  // namespace

int RunBackupProgram(const std::vector<std::string>& words, std::FILE* out, std::FILE* err,
                     const std::atomic<bool>& stop) {
    Arguments arguments;
    if (!ParseArguments(words, &arguments)) {
        std::fputs(kUsage, err);
        return kExitBadUsage;
    }
    std::vector<Station> stations;
    if (!LoadPlant(arguments, &stations, err)) return kExitBadUsage;
    History history;
    std::string error;
    if (!history.Open(arguments.archive, &error)) {
        std::fprintf(err, "vexal-backup: %s\n", error.c_str());
        return kExitBadUsage;
    }
    // A second run on the same archive waits for the first.
    platform::FileLock lock;
    if (!lock.Acquire((std::filesystem::path(arguments.archive) / ".lock").string())) {
        std::fprintf(err, "vexal-backup: cannot lock %s\n", arguments.archive.c_str());
        return kExitBadUsage;
    }
    ProgressDisplay progress(err, isatty(fileno(err)) != 0);
    const RunOptions options{arguments.archive, arguments.jobs};
    const std::vector<StationResult> results = RunStations(stations, options, stop, progress);
    int status = RunExitStatus(results);
    std::string commitId;
    if (!history.Commit(CommitMessage(results), &commitId, &error)) {
        std::fprintf(err, "vexal-backup: %s\n", error.c_str());
        status = kExitStationFailed;
    }
    std::fputs(TextReport(results).c_str(), out);
    std::fflush(out);
    if (!arguments.jsonFile.empty() &&
        !WriteJson(arguments.jsonFile, JsonReport(results, commitId, status))) {
        std::fprintf(err, "vexal-backup: cannot write %s\n", arguments.jsonFile.c_str());
        status = kExitStationFailed;
    }
    return status;
}

}  // namespace vexal::backup
