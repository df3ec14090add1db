#include "archive.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "project_file.h"
#include "replacing_file.h"

namespace vexal::backup {
namespace {

namespace fs = std::filesystem;

bool WriteText(const fs::path& path, const std::string& text) {
    platform::ReplacingFile file;
    return file.Open(path.c_str()) && file.Write(text.data(), text.size()) && file.Commit();
}

bool SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

bool WriteFiles(const fs::path& folder, const Capture& capture, std::string* error) {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    if (!fs::create_directory(folder, ignored)) {
        *error = "cannot create " + folder.string();
        return false;
    }
    if (WriteProjectFile((folder / kProjectFileName).c_str(), *capture.blocks) != kWriteOk ||
        !WriteText(folder / kManifestFileName, FormatManifest(capture.manifest)) ||
        !WriteText(folder / kIdentityFileName, capture.identity) || !SyncFolder(folder)) {
        *error = "cannot write the files in " + folder.string();
        return false;
    }
    return true;
}

// Puts `fresh` in the place of `target`; afterwards `fresh` names the old folder, if any.
bool SwapIn(const fs::path& fresh, const fs::path& target) {
    const bool swapped =
        ::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0 ||
        (errno == ENOENT && ::rename(fresh.c_str(), target.c_str()) == 0);
    return swapped && SyncFolder(target.parent_path());
}

}  // namespace

bool ReadPreviousManifest(const std::string& archive, const std::string& name,
                          std::vector<ManifestEntry>* entries) {
    std::ifstream in(fs::path(archive) / name / kManifestFileName);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    entries->clear();
    return ParseManifest(text.str(), entries);
}

bool WriteStationFolder(const std::string& archive, const std::string& name, const Capture& capture,
                        std::string* error) {
    const fs::path fresh = fs::path(archive) / ("." + name + ".new");
    if (!WriteFiles(fresh, capture, error)) return false;
    if (!SwapIn(fresh, fs::path(archive) / name)) {
        *error = "cannot put the new backup of " + name + " in place";
        return false;
    }
    std::error_code ignored;
    fs::remove_all(fresh, ignored);
    return true;
}

}  // namespace vexal::backup
