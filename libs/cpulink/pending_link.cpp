// Calls that need a controller link. Until the link exists each one fails with a fatal
// status, so no caller can mistake it for success.
#include <cstring>

#include "cpulink.h"

extern "C" {

CpuStatus cpuBus_InitConnection(CpuConnection*, int) { return CPULINK_ADAPTER_OFFLINE; }
CpuStatus cpuNet_InitConnection(CpuConnection*) { return CPULINK_NOT_CONNECTED; }
CpuStatus cpuBus_OpenConnection(CpuConnection*, int) { return CPULINK_ADAPTER_OFFLINE; }
CpuStatus cpuNet_OpenConnection(CpuConnection*, uint32_t) { return CPULINK_CANNOT_CONNECT; }
CpuStatus cpuLink_LogInW(CpuConnection*, const wchar_t*) { return CPULINK_NOT_CONNECTED; }
void cpuLink_CloseConnection(CpuConnection*) {}

// Nothing is ever kept in a record yet; destroying one leaves it all-zero, as new.
void cpuLink_DestroyConnection(CpuConnection* record) {
    if (record != nullptr) std::memset(record->bytes, 0, sizeof record->bytes);
}

CpuStatus cpuLink_GetClock(CpuConnection*, CpuClock*) { return CPULINK_NOT_CONNECTED; }
CpuStatus cpuLink_SetClock(CpuConnection*, const CpuClock*) { return CPULINK_NOT_CONNECTED; }
CpuStatus cpuLink_GetBlockList(CpuConnection*, int, int, int* count, uint16_t*, int) {
    if (count != nullptr) *count = 0;
    return CPULINK_NOT_CONNECTED;
}
CpuStatus cpuLink_UploadBlock(CpuConnection*, int, uint16_t, uint8_t*, uint32_t) {
    return CPULINK_NOT_CONNECTED;
}
CpuStatus cpuLink_DownloadBlock(CpuConnection*, const uint8_t*) { return CPULINK_NOT_CONNECTED; }
CpuStatus cpuLink_DeleteBlock(CpuConnection*, int, uint16_t) { return CPULINK_NOT_CONNECTED; }
CpuStatus cpuLink_CompressMemory(CpuConnection*, uint32_t) { return CPULINK_NOT_CONNECTED; }
CpuStatus cpuLink_CopyRamToRom(CpuConnection*, uint32_t) { return CPULINK_NOT_CONNECTED; }
CpuStatus cpuLink_Clear(CpuConnection*) { return CPULINK_NOT_CONNECTED; }
CpuStatus cpuLink_Stop(CpuConnection*) { return CPULINK_NOT_CONNECTED; }
CpuStatus cpuLink_WarmRestart(CpuConnection*) { return CPULINK_NOT_CONNECTED; }
CpuStatus cpuLink_ReadSsl(CpuConnection*, uint16_t, uint16_t, uint16_t* recordLength,
                          uint16_t* recordCount, uint8_t*, uint32_t) {
    if (recordLength != nullptr) *recordLength = 0;
    if (recordCount != nullptr) *recordCount = 0;
    return CPULINK_NOT_CONNECTED;
}
CpuStatus cpuLink_ReadVariables(CpuConnection*, VariableDescriptor* const*, int) {
    return CPULINK_NOT_CONNECTED;
}
CpuStatus cpuLink_WriteVariables(CpuConnection*, VariableDescriptor* const*, int) {
    return CPULINK_NOT_CONNECTED;
}

}  // extern "C"
