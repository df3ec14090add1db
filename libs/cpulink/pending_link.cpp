// The MPI route's connection calls. Until that route exists each one fails with a fatal
// status, so no caller can mistake it for success.
#include "cpulink.h"

extern "C" {

CpuStatus cpuBus_InitConnection(CpuConnection*, int) {
    return CPULINK_ADAPTER_OFFLINE;
}
CpuStatus cpuBus_OpenConnection(CpuConnection*, int) {
    return CPULINK_ADAPTER_OFFLINE;
}

}  // extern "C"
