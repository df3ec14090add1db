// The archive's history: the archive folder is a git repository and every run adds one
// commit of everything the run left in it.
#pragma once

#include <string>

struct git_repository;

namespace vexal::backup {

class History {
public:
    History();
    ~History();
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    // Opens the repository in `folder`, creating the folder and the repository when
    // missing.
    bool Open(const std::string& folder, std::string* error);

    // Commits the whole working tree on top of HEAD; *commitId receives its hexadecimal id.
    bool Commit(const std::string& message, std::string* commitId, std::string* error);

private:
    git_repository* repository_ = nullptr;
    std::string folder_;
};

}  // namespace vexal::backup
