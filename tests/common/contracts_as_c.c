/* The contracts must compile as plain C with the layouts a C caller relies on. */
#include "contract_layouts.h"

/* Seen from C, for the C++ test to compare. */
int ContractsAsC_IsFatal(unsigned status) {
    return CpuStatus_IsFatal((CpuStatus)status);
}
unsigned ContractsAsC_PackRef(int type, unsigned number) {
    return BlockRef_Pack(type, (uint16_t)number);
}
