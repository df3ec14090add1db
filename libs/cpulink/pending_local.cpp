// Conversions and texts that need no controller. Until they exist each one reports
// that it produced nothing.
#include "cpulink.h"

extern "C" {

int cpuLink_ErrorString(CpuStatus, wchar_t* buffer, int capacity) {
    if (buffer != nullptr && capacity > 0) buffer[0] = L'\0';
    return 0;
}
int cpuLink_DiagnoseString(uint16_t, wchar_t* buffer, int capacity) {
    if (buffer != nullptr && capacity > 0) buffer[0] = L'\0';
    return 0;
}
int cpuLink_S7TimeToTM(BrokenDownTime*, const CpuClock*) { return 0; }
int cpuLink_TMToS7Time(CpuClock*, const BrokenDownTime*) { return 0; }
int cpuLink_ParseVariableW(VariableDescriptor*, const wchar_t*) { return 0; }
int cpuLink_SetVariableValueFromStringW(VariableDescriptor*, const wchar_t*) { return 0; }
int cpuLink_FormatVariable(wchar_t* out, int capacity, const VariableDescriptor*) {
    if (out != nullptr && capacity > 0) out[0] = L'\0';
    return 0;
}
int cpuLink_GetVariableValueAsString(wchar_t* out, int capacity, const VariableDescriptor*, int) {
    if (out != nullptr && capacity > 0) out[0] = L'\0';
    return 0;
}
int cpuLink_DecodeLedState(const uint8_t*) { return -1; }
int cpuLink_DecodeOperationMode(const uint8_t*) { return -1; }

}  // extern "C"
