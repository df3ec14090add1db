#include "project_policies.h"

namespace vexal {

int LoadProjectFile(const char* path, BlockStore& project, BlockNotification notify,
                    void* context) {
    const int result = ReadProjectFile(path, project, notify, context);
    if (result != kReadOk) project.Clear();
    return result;
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
