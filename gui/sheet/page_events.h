// The page events that the sheet broadcasts to every page, and their argument layout.
#pragma once

#include <cstdint>

namespace vexal {

enum PageEvent : int32_t {
    kPageTick = 0,                    // every 100 ms from the sheet's timer
    kPageConnected = 1,               // a connection was opened
    kPageDisconnected = 2,            // closed, or lost through a fatal status
    kPageProjectBlockAdded = 3,       // a = BlockRef
    kPageProjectBlockRemoved = 4,     // a = BlockRef
    kPageControllerBlockFound = 7,    // a = BlockRef
    kPageControllerBlockDeleted = 8,  // a = BlockRef
    kPageControllerRefreshStart = 9,
    kPageControllerRefreshEnd = 10,
};

}  // namespace vexal
