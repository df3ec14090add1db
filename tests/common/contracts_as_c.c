/* The contracts must compile as plain C: this file includes both and checks the layouts
 * a C caller relies on. */
#include <stddef.h>

#include "busport.h"
#include "cpulink.h"

_Static_assert(sizeof(CpuConnection) == 2128, "connection record is 2128 bytes");
_Static_assert(_Alignof(CpuConnection) >= 8, "connection record is aligned for the library");
_Static_assert(sizeof(BusParameters) == 20, "bus parameter record is 20 bytes");
_Static_assert(sizeof(CpuClock) == 8, "clock value is 8 bytes");
_Static_assert(offsetof(VariableDescriptor, kind) == 0, "kind at 0");
_Static_assert(offsetof(VariableDescriptor, valuePresent) == 4, "value-present word at 4");
_Static_assert(offsetof(VariableDescriptor, elementCount) == 8, "element count at 8");
_Static_assert(offsetof(VariableDescriptor, value) == 16, "value address at 16");

/* Seen from C, for the C++ test to compare. */
size_t ContractsAsC_DescriptorSize(void) { return sizeof(VariableDescriptor); }
int ContractsAsC_IsFatal(unsigned status) { return CpuStatus_IsFatal((CpuStatus)status); }
unsigned ContractsAsC_PackRef(int type, unsigned number) {
    return BlockRef_Pack(type, (uint16_t)number);
}
