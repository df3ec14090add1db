// Records of two system status lists: one module LED (list 0x0019) and the current
// operating mode (list 0x0424).
#include "cpulink.h"

namespace {

// LED record: bytes 0-1 LED id, byte 2 on (0 or 1), byte 3 flashing (0 steady,
// 1 flashing at 2 Hz, 2 flashing at 0.5 Hz).
constexpr int kLedOff = 0;
constexpr int kLedOn = 1;
constexpr int kLedFlashingFast = 2;
constexpr int kLedFlashingSlowly = 3;

// Operating modes as the programs number them.
constexpr int kModeStop = 0;
constexpr int kModeRun = 1;
constexpr int kModeHalt = 2;
constexpr int kModeFault = 3;
constexpr int kModeUnknown = -1;

}  // namespace

// A flashing LED counts as flashing whatever its on byte says.
extern "C" int cpuLink_DecodeLedState(const uint8_t* ledRecord) {
    if (ledRecord == nullptr) return -1;
    const uint8_t on = ledRecord[2];
    const uint8_t flashing = ledRecord[3];
    if (on > 1 || flashing > 2) return -1;
    if (flashing == 1) return kLedFlashingFast;
    if (flashing == 2) return kLedFlashingSlowly;
    return on == 1 ? kLedOn : kLedOff;
}

// Byte 3 holds the current mode in its low nibble (the high nibble, the previous mode,
// is zero in current-mode records but is ignored all the same).
extern "C" int cpuLink_DecodeOperationMode(const uint8_t* modeRecord) {
    if (modeRecord == nullptr) return kModeUnknown;
    switch (modeRecord[3] & 0x0F) {
        case 0x1:  // STOP (update)
        case 0x2:  // STOP (memory reset)
        case 0x3:  // STOP (self-initialisation)
        case 0x4:  // STOP
            return kModeStop;
        // The three start-up codes: the controller is on its way to RUN and can be
        // stopped, so it shows as RUN. Which code is which restart type is not known.
        case 0x5:
        case 0x6:
        case 0x7:
        case 0x8:  // RUN
            return kModeRun;
        case 0xA:  // HOLD
            return kModeHalt;
        case 0xD:  // DEFECT
            return kModeFault;
        default:
            return kModeUnknown;
    }
}
