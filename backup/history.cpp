#include "history.h"

#include <git2.h>

#include <filesystem>
#include <fstream>

namespace vexal::backup {
namespace {

// The folders a station's new backup is written to before it is swapped in, and the lock
// of a run.
constexpr char kIgnoredPatterns[] = "/.*.new/\n/.lock\n";

std::string LastGitError(const char* step) {
    const git_error* last = git_error_last();
    return std::string(step) + ": " + (last != nullptr ? last->message : "unknown git error");
}

template <typename T, void (*Free)(T*)>
struct Owned {
    T* object = nullptr;
    ~Owned() { Free(object); }
};

bool Signature(git_repository* repository, Owned<git_signature, git_signature_free>* signature) {
    if (git_signature_default(&signature->object, repository) == 0) return true;
    return git_signature_now(&signature->object, "vexal-backup", "vexal-backup@localhost") == 0;
}

}  // namespace

History::History() {
    git_libgit2_init();
}

History::~History() {
    git_repository_free(repository_);
    git_libgit2_shutdown();
}

bool History::Open(const std::string& folder, std::string* error) {
    folder_ = folder;
    if (git_repository_open(&repository_, folder.c_str()) == 0) return true;
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    if (git_repository_init(&repository_, folder.c_str(), 0) != 0) {
        *error = LastGitError("creating the archive repository");
        return false;
    }
    std::ofstream(std::filesystem::path(folder) / ".gitignore") << kIgnoredPatterns;
    return true;
}

bool History::Commit(const std::string& message, std::string* commitId, std::string* error) {
    Owned<git_index, git_index_free> index;
    git_oid treeId;
    if (git_repository_index(&index.object, repository_) != 0 ||
        git_index_add_all(index.object, nullptr, GIT_INDEX_ADD_DEFAULT, nullptr, nullptr) != 0 ||
        git_index_update_all(index.object, nullptr, nullptr, nullptr) != 0 ||
        git_index_write(index.object) != 0 || git_index_write_tree(&treeId, index.object) != 0) {
        *error = LastGitError("staging the archive");
        return false;
    }
    Owned<git_tree, git_tree_free> tree;
    Owned<git_commit, git_commit_free> parent;
    Owned<git_signature, git_signature_free> signature;
    git_oid parentId;
    const bool hasParent = git_reference_name_to_id(&parentId, repository_, "HEAD") == 0;
    if (git_tree_lookup(&tree.object, repository_, &treeId) != 0 ||
        (hasParent && git_commit_lookup(&parent.object, repository_, &parentId) != 0) ||
        !Signature(repository_, &signature)) {
        *error = LastGitError("preparing the commit");
        return false;
    }
    const git_commit* parents[] = {parent.object};
    git_oid id;
    if (git_commit_create(&id, repository_, "HEAD", signature.object, signature.object, nullptr,
                          message.c_str(), tree.object, hasParent ? 1 : 0, parents) != 0) {
        *error = LastGitError("committing the run");
        return false;
    }
    char hex[GIT_OID_HEXSZ + 1];
    *commitId = git_oid_tostr(hex, sizeof hex, &id);
    return true;
}

}  // namespace vexal::backup
