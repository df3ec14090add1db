#include "report.h"

#include <cstdio>

namespace vexal::backup {
namespace {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonNames(const std::vector<std::string>& names) {
    std::string out = "[";
    for (const std::string& name : names) out += (out.size() > 1 ? "," : "") + JsonString(name);
    return out + "]";
}

std::string JsonChanges(const BlockChanges& changes) {
    return "{\"added\":" + JsonNames(changes.added) + ",\"removed\":" + JsonNames(changes.removed) +
           ",\"changed\":" + JsonNames(changes.changed) + "}";
}

std::string JsonStation(const StationResult& result) {
    return "{\"name\":" + JsonString(result.name) +
           ",\"status\":" + JsonString(OutcomeName(result.outcome)) +
           ",\"blocks\":" + std::to_string(result.blocks) +
           ",\"code\":" + JsonChanges(result.changes.code) +
           ",\"data\":" + JsonChanges(result.changes.data) +
           ",\"valuesOnly\":" + JsonNames(result.changes.valuesOnly) +
           ",\"error\":" + JsonString(result.error) + "}";
}

int Count(const std::vector<StationResult>& results, Outcome outcome) {
    int count = 0;
    for (const StationResult& result : results) count += result.outcome == outcome ? 1 : 0;
    return count;
}

}  // namespace

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::kNew:
            return "backed up";
        case Outcome::kUnchanged:
            return "unchanged";
        case Outcome::kChanged:
            return "changed";
        default:
            return "failed";
    }
}

std::string OutcomeDetails(const StationResult& result) {
    std::string line = OutcomeName(result.outcome);
    if (result.outcome == Outcome::kFailed) return line + ": " + result.error;
    if (result.outcome == Outcome::kChanged) return line + ": " + SummariseChanges(result.changes);
    return line + " (" + std::to_string(result.blocks) + " blocks)";
}

std::string TextReport(const std::vector<StationResult>& results) {
    std::string text;
    for (const StationResult& result : results)
        text += result.name + ": " + OutcomeDetails(result) + "\n";
    return text;
}

std::string JsonReport(const std::vector<StationResult>& results, const std::string& commitId,
                       int exitStatus) {
    std::string json = "{\"exitStatus\":" + std::to_string(exitStatus) +
                       ",\"commit\":" + JsonString(commitId) + ",\"stations\":[";
    for (size_t i = 0; i < results.size(); ++i)
        json += (i > 0 ? "," : "") + JsonStation(results[i]);
    return json + "]}\n";
}

std::string CommitMessage(const std::vector<StationResult>& results) {
    const int changed = Count(results, Outcome::kChanged) + Count(results, Outcome::kNew);
    std::string message = "Backup of " + std::to_string(results.size()) +
                          " stations: " + std::to_string(changed) + " changed, " +
                          std::to_string(Count(results, Outcome::kFailed)) + " failed\n\n";
    return message + TextReport(results);
}

int RunExitStatus(const std::vector<StationResult>& results) {
    if (Count(results, Outcome::kFailed) > 0) return kExitStationFailed;
    const bool changed = Count(results, Outcome::kChanged) + Count(results, Outcome::kNew) > 0;
    return changed ? kExitChanged : kExitNothingChanged;
}

}  // namespace vexal::backup
