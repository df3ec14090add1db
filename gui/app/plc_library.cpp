#include "plc_library.h"

namespace vexal {
namespace {

class CRealPlcLibrary final : public CPlcLibrary {
public:
    int OpenAdapter() override { return Busport_Open(); }
    int GoOnlineDefault(int handle) override { return Busport_GoOnlineDefault(handle); }
    int GetCurNetPrm(int handle, BusParameters* parameters) override {
        return Busport_GetCurNetPrm(handle, parameters);
    }
    int CheckRemoteOnline(int handle, uint8_t stationAddress) override {
        return Busport_CheckRemoteOnline(handle, stationAddress);
    }
    void GoOffline(int handle) override { Busport_GoOffline(handle); }
    void CloseAdapter(int handle) override { Busport_Close(handle); }

    CpuStatus InitMpiConnection(CpuConnection* record, int adapterHandle) override {
        return cpuBus_InitConnection(record, adapterHandle);
    }
    CpuStatus InitTcpConnection(CpuConnection* record) override {
        return cpuNet_InitConnection(record);
    }
    CpuStatus OpenMpiConnection(CpuConnection* record, int mpiAddress) override {
        return cpuBus_OpenConnection(record, mpiAddress);
    }
    CpuStatus OpenTcpConnection(CpuConnection* record, uint32_t ipv4Address) override {
        return cpuNet_OpenConnection(record, ipv4Address);
    }
    void CloseConnection(CpuConnection* record) override { cpuLink_CloseConnection(record); }
    void DestroyConnection(CpuConnection* record) override { cpuLink_DestroyConnection(record); }

    CpuStatus LogInW(CpuConnection* record, const wchar_t* password) override {
        return cpuLink_LogInW(record, password);
    }
    CpuStatus GetClock(CpuConnection* record, CpuClock* clock) override {
        return cpuLink_GetClock(record, clock);
    }
    CpuStatus SetClock(CpuConnection* record, const CpuClock* clock) override {
        return cpuLink_SetClock(record, clock);
    }
    CpuStatus GetBlockList(CpuConnection* record, int type, int start, int* count,
                           uint16_t* numbers, int capacity) override {
        return cpuLink_GetBlockList(record, type, start, count, numbers, capacity);
    }
    CpuStatus UploadBlock(CpuConnection* record, int type, uint16_t number, uint8_t* buffer,
                          uint32_t size) override {
        return cpuLink_UploadBlock(record, type, number, buffer, size);
    }
    CpuStatus DownloadBlock(CpuConnection* record, const uint8_t* image) override {
        return cpuLink_DownloadBlock(record, image);
    }
    void SetCancelCheck(CpuConnection* record, CpuCancelCheck check, void* context) override {
        cpuLink_SetCancelCheck(record, check, context);
    }
    CpuStatus GetBlockInfo(CpuConnection* record, int type, uint16_t number,
                           CpuBlockInfo* info) override {
        return cpuLink_GetBlockInfo(record, type, number, info);
    }
    CpuStatus DeleteBlock(CpuConnection* record, int type, uint16_t number) override {
        return cpuLink_DeleteBlock(record, type, number);
    }
    CpuStatus CompressMemory(CpuConnection* record, uint32_t timeoutMs) override {
        return cpuLink_CompressMemory(record, timeoutMs);
    }
    CpuStatus Stop(CpuConnection* record) override { return cpuLink_Stop(record); }
    CpuStatus WarmRestart(CpuConnection* record) override { return cpuLink_WarmRestart(record); }
    CpuStatus ReadSsl(CpuConnection* record, uint16_t listId, uint16_t index,
                      uint16_t* recordLength, uint16_t* recordCount, uint8_t* buffer,
                      uint32_t size) override {
        return cpuLink_ReadSsl(record, listId, index, recordLength, recordCount, buffer, size);
    }
    CpuStatus ReadVariables(CpuConnection* record, VariableDescriptor* const* variables,
                            int count) override {
        return cpuLink_ReadVariables(record, variables, count);
    }
    CpuStatus WriteVariables(CpuConnection* record, VariableDescriptor* const* variables,
                             int count) override {
        return cpuLink_WriteVariables(record, variables, count);
    }
};

}  // namespace

std::unique_ptr<CPlcLibrary> MakePlcLibrary() {
    return std::make_unique<CRealPlcLibrary>();
}

}  // namespace vexal
