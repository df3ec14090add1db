// How the two programs use a project store and its files.
#pragma once

#include <cstddef>

#include "block_store.h"
#include "project_file.h"

namespace vexal {

// Message texts of the GUI program for failed project file work.
inline constexpr char kErrorReadingProjectFile[] = "error reading project file";
inline constexpr char kErrorWritingProjectFile[] = "error writing project file";
inline constexpr char kErrorDeletingBlocks[] = "error deleting blocks";

// GUI: adds the file's blocks to the project (which is not cleared first), a block the
// project holds already being replaced, and notifies each stored block. The file is read
// whole into a scratch store first and merged only when it read completely and fits, so a
// damaged file or a full project leaves the project exactly as it was. The reader's code
// is returned; kReadStoreRefused also when the merged project would not fit.
int LoadProjectFile(const char* path, BlockStore& project, BlockNotification notify, void* context);

// GUI: writes the selected blocks in list order; the writer's code is returned.
int SaveProjectSelection(const char* path, const BlockStore& project, const BlockRef* selected,
                         size_t count);

// GUI: removes the selected blocks one by one in list order, notifying each removal.
// Stops at the first block that cannot be removed and returns false.
bool DeleteProjectBlocks(BlockStore& project, const BlockRef* selected, size_t count,
                         BlockNotification removed, void* context);

// Command program: loads the download file into the emptied download store.
int LoadDownloadFile(const char* path, BlockStore& downloads);

// Command program: empties the upload store and writes it, which creates the upload file
// empty before anything is uploaded, so a path that cannot be written fails early.
int CreateUploadFile(const char* path, BlockStore& uploads);

// Command program: writes every uploaded block in store order at the end of the run.
int WriteUploadFile(const char* path, const BlockStore& uploads);

}  // namespace vexal
