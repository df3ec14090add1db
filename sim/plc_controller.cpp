#include "plc_controller.h"

#include <algorithm>
#include <cstring>

#include "demo_project.h"
#include "project_file.h"
#include "sim_clock.h"

namespace vexal::sim {
namespace {

constexpr uint8_t kAreaPeripheral = 0x80;
constexpr uint8_t kAreaInputs = 0x81;
constexpr uint8_t kAreaOutputs = 0x82;
constexpr uint8_t kAreaFlags = 0x83;
constexpr uint8_t kAreaDataBlock = 0x84;
constexpr uint8_t kAreaCounters = 0x1C;
constexpr uint8_t kAreaTimers = 0x1D;

// The bytes a password scrambles to: blank padded to 8, XOR 0x55, chained two back.
std::array<uint8_t, 8> Scramble(const std::string& password) {
    std::array<uint8_t, 8> out{};
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<uint8_t>((i < password.size() ? password[i] : ' ') ^ 0x55);
        if (i >= 2) out[i] ^= out[i - 2];
    }
    return out;
}

}  // namespace

Bytes DataBlockBody(const uint8_t* image) {
    const uint32_t length = BlockImageLength(image);
    const uint32_t mc7 = Big16(image + 34);
    const uint32_t room = length > kBlockHeaderSize ? length - kBlockHeaderSize : 0;
    const uint32_t size = std::min(mc7, room);
    return Bytes(image + kBlockHeaderSize, image + kBlockHeaderSize + size);
}

PlcController::PlcController(const SimOptions& options)
    : blocks_(std::make_unique<BlockStore>()),
      options_(options),
      password_(options.password),
      protected_(options.protectedBlocks),
      refusedLists_(options.refusedLists) {
    PowerOn();
}

void PlcController::PowerOn() {
    mode_ = options_.mode;
    keyswitch_ = options_.keyswitch;
    clockOffsetMs_ = 0;
    diagnostics_.clear();
    ClearDataAreas();
    for (auto& [number, body] : dataBlocks_)
        body = DataBlockBody(blocks_->Find(BLOCK_TYPE_DB, number));
    // A controller whose selector stands at STOP or MRES cannot be running.
    if (keyswitch_ == Keyswitch::kStop || keyswitch_ == Keyswitch::kMres)
        mode_ = OperatingMode::kStop;
    lastTransitionMs_ = ClockMs();
    Record(kEventPowerOn);
    if (mode_ == OperatingMode::kRun) {
        Record(kEventStopToStartup);
        EnterMode(OperatingMode::kRun, kEventStartupToRun);
    } else {
        EnterMode(OperatingMode::kStop,
                  keyswitch_ == Keyswitch::kRunP || keyswitch_ == Keyswitch::kRun
                      ? kEventStopByProgrammer
                      : kEventStopBySelector);
    }
}

bool PlcController::LoadProgram(const std::string& file, std::string* error) {
    ++programChanges_;
    blocks_->Clear();
    passiveBlocks_.clear();
    dataBlocks_.clear();
    if (file.empty()) {
        for (const Bytes& image : MakeDemoProgram()) InsertBlock(image);
        return true;
    }
    const int result = ReadProjectFile(file.c_str(), *blocks_);
    if (result != kReadOk) {
        *error = "cannot load program " + file + " (error " + std::to_string(result) + ")";
        return false;
    }
    uint16_t number = 0;
    for (bool more = blocks_->FirstOfType(BLOCK_TYPE_DB, &number); more;) {
        dataBlocks_[number] = DataBlockBody(blocks_->Find(BLOCK_TYPE_DB, number));
        int type = 0;
        more = blocks_->Next(&type, &number) && type == BLOCK_TYPE_DB;
    }
    return true;
}

void PlcController::Record(uint16_t event, uint8_t info1, uint8_t info2, uint32_t info3) {
    ByteWriter entry;
    entry.U16(event).U8(0xFF);
    // Mode transitions carry what a CPU 315 writes beside them; a start-up names the
    // transition that had stopped the CPU.
    if (event == kEventStopByProgrammer)
        entry.U8(0x84).U16(0).U16(0).U32(0);
    else if (event == kEventStopToStartup)
        entry.U8(0x46).U16(0xC772).U16(lastTransition_).U32(0x08147714);
    else if (event == kEventStartupToRun)
        entry.U8(0x68).U16(0xC700).U16(0).U32(0x08147714);
    else
        entry.U8(info1).U16(info2).U16(0).U32(info3);
    DiagnosticEntry bytes{};
    const Bytes head = entry.Take();
    std::copy(head.begin(), head.end(), bytes.begin());
    EncodeDateAndTime(ClockMs(), bytes.data() + 12);
    diagnostics_.push_front(bytes);
    Remember({.entry = bytes});
    if (diagnostics_.size() > kDiagnosticCapacity) diagnostics_.pop_back();
}

void PlcController::Remember(const Event& event) {
    recentEvents_.push_back(event);
    if (recentEvents_.size() > kDiagnosticCapacity) recentEvents_.pop_front();
    ++eventCount_;
}

void PlcController::EnterMode(OperatingMode mode, uint16_t event) {
    mode_ = mode;
    lastTransition_ = event;
    lastTransitionMs_ = ClockMs();
    Record(event);
    Remember({.modeEntered = true, .mode = mode});
}

uint16_t PlcController::Stop() {
    if (mode_ == OperatingMode::kStop) return kServiceNotInState;
    EnterMode(OperatingMode::kStop, kEventStopByProgrammer);
    return kNoError;
}

uint16_t PlcController::Restart(uint16_t request) {
    if (keyswitch_ == Keyswitch::kStop || keyswitch_ == Keyswitch::kMres) return kNotInCurrentMode;
    if (mode_ == OperatingMode::kRun) return kServiceNotInState;
    Record(request);
    Record(kEventStopToStartup);
    EnterMode(OperatingMode::kRun, kEventStartupToRun);
    return kNoError;
}

uint16_t PlcController::Compress() {
    if (mode_ != OperatingMode::kStop) return kNotInCurrentMode;
    Record(kEventMemoryCompressed);
    return kNoError;
}

// A real CPU copies RAM to ROM in RUN as well; compress it does in STOP only.
uint16_t PlcController::CopyRamToRom() {
    Record(kEventCopiedRamToRom);
    return kNoError;
}

uint16_t PlcController::MemoryReset() {
    if (mode_ != OperatingMode::kStop) return kNotInCurrentMode;
    Record(kEventMemoryResetStarted);
    ++programChanges_;
    blocks_->Clear();
    dataBlocks_.clear();
    ClearDataAreas();
    Record(kEventMemoryResetDone);
    return kNoError;
}

void PlcController::ClearDataAreas() {
    inputs_.fill(0);
    outputs_.fill(0);
    flags_.fill(0);
    timers_.fill(0);
    counters_.fill(0);
}

int64_t PlcController::ClockMs() const {
    return HostTimeMs() + clockOffsetMs_;
}

void PlcController::SetClockMs(int64_t timeMs) {
    clockOffsetMs_ = timeMs - HostTimeMs();
}

bool PlcController::PasswordMatches(const uint8_t* scrambled) const {
    const std::array<uint8_t, 8> expected = Scramble(password_);
    return HasPassword() && std::memcmp(expected.data(), scrambled, expected.size()) == 0;
}

bool PlcController::IsProtected(int type, uint16_t number) const {
    return protected_.count(BlockRef_Pack(type, number)) != 0;
}

Bytes PlcController::CurrentImage(int type, uint16_t number) const {
    const uint8_t* image = blocks_->Find(type, number);
    if (image == nullptr) return {};
    Bytes copy(image, image + BlockImageLength(image));
    const auto data = dataBlocks_.find(number);
    if (type == BLOCK_TYPE_DB && data != dataBlocks_.end()) {
        std::copy(data->second.begin(), data->second.end(), copy.begin() + kBlockHeaderSize);
    }
    return copy;
}

uint16_t PlcController::InsertBlock(const Bytes& image) {
    if (image.size() < kBlockHeaderSize || BlockImageLength(image.data()) != image.size()) {
        return kWrongBlockLengths;
    }
    Bytes padded = image;
    padded.resize(RoundedImageLength(static_cast<uint32_t>(image.size())), 0);
    if (!blocks_->Add(padded.data(), padded.size())) return kNotEnoughMemory;
    ++programChanges_;
    if (BlockImageType(image.data()) == BLOCK_TYPE_DB) {
        dataBlocks_[BlockImageNumber(image.data())] = DataBlockBody(image.data());
    }
    return kNoError;
}

uint16_t PlcController::DeleteBlock(int type, uint16_t number) {
    if (!blocks_->Remove(type, number)) return kBlockNotFound;
    ++programChanges_;
    if (type == BLOCK_TYPE_DB) dataBlocks_.erase(number);
    return kNoError;
}

void PlcController::RecordBlockLoaded(int type, uint16_t number) {
    Record(kEventBlockLoaded, static_cast<uint8_t>(type), 0, number);
}

PlcController::AreaBytes PlcController::Area(uint8_t area, uint16_t dbNumber, bool forWrite) {
    switch (area) {
        case kAreaPeripheral:
            return forWrite ? AreaBytes{outputs_.data(), outputs_.size()}
                            : AreaBytes{inputs_.data(), inputs_.size()};
        case kAreaInputs:
            return {inputs_.data(), inputs_.size()};
        case kAreaOutputs:
            return {outputs_.data(), outputs_.size()};
        case kAreaFlags:
            return {flags_.data(), flags_.size()};
        case kAreaTimers:
            return {timers_.data(), timers_.size()};
        case kAreaCounters:
            return {counters_.data(), counters_.size()};
        case kAreaDataBlock: {
            const auto found = dataBlocks_.find(dbNumber);
            if (found == dataBlocks_.end()) return {};
            return {found->second.data(), found->second.size()};
        }
        default:
            return {};
    }
}

uint32_t PlcController::WorkMemoryUsed() const {
    uint32_t used = 0;
    for (int position = 0; position < blocks_->BlockCount(); ++position) {
        if (blocks_->EntryAt(position).type == BLOCK_TYPE_SDB) continue;
        used += Big16(blocks_->ImageAt(position) + 34) + static_cast<uint32_t>(kBlockHeaderSize);
    }
    return std::min(used, kWorkMemorySize);
}

}  // namespace vexal::sim
