// What the GUI needs from the two libraries: every call on the MPI adapter (libbusport) and
// every call on a connection record (libcpulink), behind one interface that tests replace.
// The real one (MakePlcLibrary) forwards each call to the C call named beside it.
//
// Calls that need no controller and no adapter are made on the real library directly,
// everywhere: cpuLink_ErrorString (library_text.cpp), cpuLink_DiagnoseString (the
// diagnostics page), cpuLink_S7TimeToTM and cpuLink_TMToS7Time (the clock operations),
// cpuLink_DecodeLedState and cpuLink_DecodeOperationMode (status_records.cpp),
// cpuLink_ParseVariableW, cpuLink_SetVariableValueFromStringW, cpuLink_FormatVariable and
// cpuLink_GetVariableValueAsString (the variables page, its dialog and list file).
#pragma once

#include <memory>

#include "busport.h"
#include "cpulink.h"

namespace vexal {

class CPlcLibrary {
public:
    virtual ~CPlcLibrary() = default;

    // The MPI adapter: Busport_Open, _GoOnlineDefault, _GetCurNetPrm, _CheckRemoteOnline,
    // _GoOffline, _Close.
    virtual int OpenAdapter() = 0;
    virtual int GoOnlineDefault(int handle) = 0;
    virtual int GetCurNetPrm(int handle, BusParameters* parameters) = 0;
    virtual int CheckRemoteOnline(int handle, uint8_t stationAddress) = 0;
    virtual void GoOffline(int handle) = 0;
    virtual void CloseAdapter(int handle) = 0;

    // Connection records: cpuBus_InitConnection, cpuNet_InitConnection,
    // cpuBus_OpenConnection, cpuNet_OpenConnection, cpuLink_CloseConnection and
    // cpuLink_DestroyConnection.
    virtual CpuStatus InitMpiConnection(CpuConnection* record, int adapterHandle) = 0;
    virtual CpuStatus InitTcpConnection(CpuConnection* record) = 0;
    virtual CpuStatus OpenMpiConnection(CpuConnection* record, int mpiAddress) = 0;
    virtual CpuStatus OpenTcpConnection(CpuConnection* record, uint32_t ipv4Address) = 0;
    virtual void CloseConnection(CpuConnection* record) = 0;
    virtual void DestroyConnection(CpuConnection* record) = 0;

    // Calls on an open connection, each cpuLink_ with the same name.
    virtual CpuStatus LogInW(CpuConnection* record, const wchar_t* password) = 0;
    virtual CpuStatus GetClock(CpuConnection* record, CpuClock* clock) = 0;
    virtual CpuStatus SetClock(CpuConnection* record, const CpuClock* clock) = 0;
    virtual CpuStatus GetBlockList(CpuConnection* record, int type, int start, int* count,
                                   uint16_t* numbers, int capacity) = 0;
    virtual CpuStatus UploadBlock(CpuConnection* record, int type, uint16_t number, uint8_t* buffer,
                                  uint32_t size) = 0;
    virtual CpuStatus DownloadBlock(CpuConnection* record, const uint8_t* image) = 0;
    virtual void SetCancelCheck(CpuConnection* record, CpuCancelCheck check, void* context) = 0;
    virtual CpuStatus GetBlockInfo(CpuConnection* record, int type, uint16_t number,
                                   CpuBlockInfo* info) = 0;
    virtual CpuStatus DeleteBlock(CpuConnection* record, int type, uint16_t number) = 0;
    virtual CpuStatus CompressMemory(CpuConnection* record, uint32_t timeoutMs) = 0;
    virtual CpuStatus Stop(CpuConnection* record) = 0;
    virtual CpuStatus WarmRestart(CpuConnection* record) = 0;
    virtual CpuStatus ReadSsl(CpuConnection* record, uint16_t listId, uint16_t index,
                              uint16_t* recordLength, uint16_t* recordCount, uint8_t* buffer,
                              uint32_t size) = 0;
    virtual CpuStatus ReadVariables(CpuConnection* record, VariableDescriptor* const* variables,
                                    int count) = 0;
    virtual CpuStatus WriteVariables(CpuConnection* record, VariableDescriptor* const* variables,
                                     int count) = 0;
};

// The two real libraries.
std::unique_ptr<CPlcLibrary> MakePlcLibrary();

}  // namespace vexal
