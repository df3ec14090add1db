#include "project_policies.h"

#include <memory>

namespace vexal {
namespace {

int64_t StoredLength(const uint8_t* image) {
    return RoundedImageLength(BlockImageLength(image));
}

// Whether every block of `incoming`, added in store order, finds room in `project`: no
// 4097th block, and at no step more bytes than are free (a twin frees its own).
bool MergeFits(const BlockStore& project, const BlockStore& incoming) {
    int blocks = project.BlockCount();
    int64_t claimed = 0;
    for (int p = 0; p < incoming.BlockCount(); ++p) {
        const BlockStore::Entry& entry = incoming.EntryAt(p);
        const uint8_t* twin = project.Find(entry.type, entry.number);
        if (twin == nullptr && ++blocks > kStoreMaxBlocks) return false;
        claimed += StoredLength(incoming.ImageAt(p));
        if (twin != nullptr) claimed -= StoredLength(twin);
        if (claimed > project.FreeBytes()) return false;
    }
    return true;
}

}  // namespace

int LoadProjectFile(const char* path, BlockStore& project, BlockNotification notify,
                    void* context) {
    const auto scratch = std::make_unique<BlockStore>();
    const int result = ReadProjectFile(path, *scratch, nullptr, nullptr);
    if (result != kReadOk) return result;
    if (!MergeFits(project, *scratch)) return kReadStoreRefused;
    for (int p = 0; p < scratch->BlockCount(); ++p) {
        const uint8_t* image = scratch->ImageAt(p);
        if (!project.Add(image, BlockImageLength(image))) return kReadStoreRefused;
        if (notify != nullptr)
            notify(context, scratch->EntryAt(p).type, scratch->EntryAt(p).number);
    }
    return kReadOk;
}

int SaveProjectSelection(const char* path, const BlockStore& project, const BlockRef* selected,
                         size_t count) {
    return WriteProjectFile(path, project, selected, count);
}

bool DeleteProjectBlocks(BlockStore& project, const BlockRef* selected, size_t count,
                         BlockNotification removed, void* context) {
    for (size_t i = 0; i < count; ++i) {
        const int type = BlockRef_Type(selected[i]);
        const uint16_t number = BlockRef_Number(selected[i]);
        if (!project.Remove(type, number)) return false;
        if (removed != nullptr) removed(context, type, number);
    }
    return true;
}

int LoadDownloadFile(const char* path, BlockStore& downloads) {
    downloads.Clear();
    return ReadProjectFile(path, downloads);
}

int CreateUploadFile(const char* path, BlockStore& uploads) {
    uploads.Clear();
    return WriteProjectFile(path, uploads);
}

int WriteUploadFile(const char* path, const BlockStore& uploads) {
    return WriteProjectFile(path, uploads);
}

}  // namespace vexal
