/* The layouts a C caller relies on, asserted by the C and by the C++ compiler alike. */
#ifndef VEXAL_TESTS_CONTRACT_LAYOUTS_H
#define VEXAL_TESTS_CONTRACT_LAYOUTS_H

#include <stddef.h>

#include "busport.h"
#include "cpulink.h"

#ifdef __cplusplus
#define LAYOUT_ASSERT(condition) static_assert(condition, #condition)
#define LAYOUT_ALIGNOF alignof
#else
#define LAYOUT_ASSERT(condition) _Static_assert(condition, #condition)
#define LAYOUT_ALIGNOF _Alignof
#endif

LAYOUT_ASSERT(sizeof(CpuConnection) == 2128 && LAYOUT_ALIGNOF(CpuConnection) >= 8);
LAYOUT_ASSERT(sizeof(BusParameters) == 20 && sizeof(CpuClock) == 8);
LAYOUT_ASSERT(sizeof(VariableDescriptor) == 16 + sizeof(void*));
LAYOUT_ASSERT(sizeof(CpuBlockInfo) == 72 && offsetof(CpuBlockInfo, codeTime) == 24 &&
              offsetof(CpuBlockInfo, name) == 58);
LAYOUT_ASSERT(offsetof(VariableDescriptor, kind) == VARIABLE_DESCRIPTOR_KIND_OFFSET &&
              VARIABLE_DESCRIPTOR_KIND_OFFSET == 0);
LAYOUT_ASSERT(offsetof(VariableDescriptor, valuePresent) ==
                  VARIABLE_DESCRIPTOR_VALUE_PRESENT_OFFSET &&
              VARIABLE_DESCRIPTOR_VALUE_PRESENT_OFFSET == 4);
LAYOUT_ASSERT(offsetof(VariableDescriptor, elementCount) ==
                  VARIABLE_DESCRIPTOR_ELEMENT_COUNT_OFFSET &&
              VARIABLE_DESCRIPTOR_ELEMENT_COUNT_OFFSET == 8);
LAYOUT_ASSERT(offsetof(VariableDescriptor, value) == VARIABLE_DESCRIPTOR_VALUE_OFFSET &&
              VARIABLE_DESCRIPTOR_VALUE_OFFSET == 16);

#endif
