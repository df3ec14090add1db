// The system status lists the simulated controller answers.
#pragma once

#include <cstdint>

#include "plc_controller.h"

namespace vexal::sim {

// The whole answer to a list request: list id, index, record length, record count and
// the records. Returns kNoError or kListNotAvailable / kIndexNotAvailable.
// `legitimated` tells whether the asking connection gave the password.
uint16_t BuildSystemList(const PlcController& controller, uint16_t listId, uint16_t index,
                         bool legitimated, Bytes* answer);

}  // namespace vexal::sim
