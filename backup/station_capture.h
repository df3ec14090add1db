// One station's part of a run: connect, read the identity, list and upload every block.
// Nothing is written here; a capture is complete or it is not used.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "block_store.h"
#include "manifest.h"
#include "plant_file.h"

namespace vexal::backup {

struct Capture {
    std::unique_ptr<BlockStore> blocks;
    std::vector<ManifestEntry> manifest;
    std::string identity;  // the text of identity.txt
};

// Called with the blocks uploaded so far and the blocks listed.
using BlockProgress = std::function<void(int done, int total)>;

// Fills the capture; on failure returns false with the step and the library's text in
// *error. A set `stop` ends the work between two blocks as a failure.
bool CaptureStation(const Station& station, const std::atomic<bool>& stop,
                    const BlockProgress& progress, Capture* capture, std::string* error);

}  // namespace vexal::backup
