// The simulated controller: an S7-300-class CPU with its data areas, program blocks,
// operating mode and mode selector, diagnostic buffer, memory figures, clock and
// password. One controller serves every connection; a session holds Lock() while it
// handles one request, and every other member expects that lock to be held.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "block_store.h"
#include "sim_bytes.h"
#include "sim_options.h"

namespace vexal::sim {

// Error classes and codes the controller answers with.
enum ControllerError : uint16_t {
    kNoError = 0x0000,
    kServiceNotInState = 0x8402,  // stop or start of a CPU already in that mode
    kInvalidFrame = 0x8104,       // a malformed job or an unknown service
    kFrameTooLarge = 0x8500,      // a job or its answer beyond the negotiated PDU
    kInvalidSequence = 0x8401,    // an upload id or download answer out of order
    kNotEnoughMemory = 0x8301,
    kNotInCurrentMode = 0xD081,
    kBlockTypeSyntax = 0xD203,
    kBlockNotFound = 0xD209,
    kNoPriorityClass = 0xD20C,  // an OB number the CPU has no priority class for
    kNoFurtherBlock = 0xD20E,
    kWrongBlockLengths = 0xD219,
    kProtectionLevel = 0xD241,
    kListNotAvailable = 0xD401,
    kIndexNotAvailable = 0xD402,
    kWrongPassword = 0xD602,
    kAlreadyLegitimated = 0xD603,
    kNoPasswordConfigured = 0xD605,
    kInvalidDateTime = 0xDC01,
    // No capture shows what a CPU answers for a block it protects against delete and
    // overwrite; the library maps this code to "block protected".
    kBlockWriteProtected = 0x0116,
};

// A diagnostic buffer entry: event id, two info bytes, info words, DATE_AND_TIME.
using DiagnosticEntry = std::array<uint8_t, 20>;

// Event ids of the diagnostic buffer.
enum DiagnosticEvent : uint16_t {
    kEventWarmRestartRequested = 0x1381,
    kEventColdRestartRequested = 0x1382,
    kEventPowerOn = 0x4300,
    kEventStopToStartup = 0x4301,
    kEventStartupToRun = 0x4302,
    kEventStopBySelector = 0x4303,
    kEventStopByProgrammer = 0x4304,
    kEventMemoryResetStarted = 0x4307,
    kEventMemoryResetDone = 0x430E,
    // Events of our own for services no public event list names.
    kEventMemoryCompressed = 0x5380,
    kEventCopiedRamToRom = 0x5381,
    kEventBlockLoaded = 0x5382,
};

constexpr size_t kDiagnosticCapacity = 100;
constexpr uint32_t kWorkMemorySize = 262144;
constexpr uint32_t kLoadMemorySize = kStoreDataSize;
constexpr size_t kInputBytes = 256;
constexpr size_t kOutputBytes = 256;
constexpr size_t kFlagBytes = 2048;
constexpr size_t kTimerCount = 256;
constexpr size_t kCounterCount = 256;

class PlcController {
public:
    explicit PlcController(const SimOptions& options);

    // Replaces the program: the demo program for an empty name, else the project file.
    bool LoadProgram(const std::string& file, std::string* error);

    std::mutex& Lock() { return mutex_; }

    // The state the controller powers on in with its options: mode and selector as set,
    // data areas and clock offset cleared, the diagnostic buffer restarted, each DB's
    // data as its image holds it. The program stays.
    void PowerOn();

    OperatingMode Mode() const { return mode_; }
    Keyswitch Selector() const { return keyswitch_; }
    uint16_t LastTransitionEvent() const { return lastTransition_; }
    int64_t LastTransitionMs() const { return lastTransitionMs_; }
    // Each returns kNoError or the refusal.
    uint16_t Stop();
    uint16_t WarmRestart() { return Restart(kEventWarmRestartRequested); }
    uint16_t ColdRestart() { return Restart(kEventColdRestartRequested); }
    uint16_t Compress();
    uint16_t CopyRamToRom();
    uint16_t MemoryReset();

    int64_t ClockMs() const;
    void SetClockMs(int64_t timeMs);
    int64_t ClockOffsetMs() const { return clockOffsetMs_; }

    bool HasPassword() const { return !password_.empty(); }
    uint16_t MaxPdu() const { return options_.maxPdu; }
    // Compares eight scrambled password bytes with the configured password.
    bool PasswordMatches(const uint8_t* scrambled) const;
    bool IsProtected(int type, uint16_t number) const;
    bool IsListRefused(uint16_t listId) const { return refusedLists_.count(listId) != 0; }

    const BlockStore& Blocks() const { return *blocks_; }
    // Counts the changes of the program: loads, inserts, deletes and memory resets.
    uint64_t ProgramChanges() const { return programChanges_; }
    bool HasBlock(int type, uint16_t number) const {
        return blocks_->Find(type, number) != nullptr;
    }
    // The image as an upload delivers it: a DB carries its current data as its body.
    Bytes CurrentImage(int type, uint16_t number) const;
    uint16_t InsertBlock(const Bytes& image);
    uint16_t DeleteBlock(int type, uint16_t number);
    void RecordBlockLoaded(int type, uint16_t number);
    // Downloaded blocks not yet inserted: load memory keeps them for every connection.
    std::map<BlockRef, Bytes>& PassiveBlocks() { return passiveBlocks_; }

    // The bytes of an area (for 0x84 of one DB); data is null when the area or DB does
    // not exist.
    struct AreaBytes {
        uint8_t* data = nullptr;
        size_t size = 0;
    };
    // Peripheral reads see the inputs and peripheral writes drive the outputs.
    AreaBytes Area(uint8_t area, uint16_t dbNumber, bool forWrite);

    uint32_t LoadMemoryUsed() const { return kLoadMemorySize - blocks_->FreeBytes(); }
    uint32_t WorkMemoryUsed() const;

    const std::deque<DiagnosticEntry>& Diagnostics() const { return diagnostics_; }
    // The latest diagnostic entries written and modes entered, in order, and how many there
    // were in all, for the clients logged on for messages.
    struct Event {
        bool modeEntered = false;
        OperatingMode mode = OperatingMode::kStop;
        DiagnosticEntry entry{};
    };
    const std::deque<Event>& RecentEvents() const { return recentEvents_; }
    uint64_t EventCount() const { return eventCount_; }
    const std::map<uint16_t, Bytes>& DataBlocks() const { return dataBlocks_; }
    const uint8_t* Flags() const { return flags_.data(); }

private:
    // A restart asked for by a programmer, recorded with `request`.
    uint16_t Restart(uint16_t request);
    void Record(uint16_t event, uint8_t info1 = 0, uint8_t info2 = 0, uint32_t info3 = 0);
    void EnterMode(OperatingMode mode, uint16_t event);
    void ClearDataAreas();
    void Remember(const Event& event);

    std::mutex mutex_;
    std::unique_ptr<BlockStore> blocks_;
    SimOptions options_;
    uint64_t programChanges_ = 0;
    std::map<uint16_t, Bytes> dataBlocks_;
    std::array<uint8_t, kInputBytes> inputs_{};
    std::array<uint8_t, kOutputBytes> outputs_{};
    std::array<uint8_t, kFlagBytes> flags_{};
    std::array<uint8_t, kTimerCount * 2> timers_{};
    std::array<uint8_t, kCounterCount * 2> counters_{};
    OperatingMode mode_;
    Keyswitch keyswitch_;
    uint16_t lastTransition_ = kEventPowerOn;
    int64_t lastTransitionMs_ = 0;
    int64_t clockOffsetMs_ = 0;
    std::string password_;
    std::set<BlockRef> protected_;
    std::map<BlockRef, Bytes> passiveBlocks_;
    std::set<uint16_t> refusedLists_;
    std::deque<DiagnosticEntry> diagnostics_;
    std::deque<Event> recentEvents_;
    uint64_t eventCount_ = 0;
};

// The body of a DB image: the MC7 part behind the 36-byte header, as long as the header
// says and the image holds.
Bytes DataBlockBody(const uint8_t* image);

}  // namespace vexal::sim
