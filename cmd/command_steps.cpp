#include "command_steps.h"

#include "keywords.h"
#include "value_lists.h"

namespace vexal::cmd {
namespace {

constexpr uint32_t kCompressTimeoutMs = 30000;
constexpr uint32_t kRamToRomTimeoutMs = 120000;

bool IsError(CpuStatus status) {
    return CpuStatus_IsFatal(status) != 0;
}

int ControllerOperation(CpuStatus status) {
    if (IsError(status)) return -1;
    return status != CPULINK_OK ? kWarningCondition : 0;
}

int WriteVariables(const wchar_t* list, CommandContext& context) {
    ListItems items(list, kVariableItemCapacity);
    wchar_t item[kVariableItemCapacity];
    int warnings = 0;
    for (int got; (got = items.Next(item)) > 0;) {
        VariableDescriptor descriptor;
        uint32_t valueWord = 0;
        if (DecodeVariableItem(item, descriptor, valueWord) != 0) continue;
        VariableDescriptor* const variables[] = {&descriptor};
        const CpuStatus status = cpuLink_WriteVariables(context.connection, variables, 1);
        if (IsError(status)) return -1;
        if (status != CPULINK_OK) warnings |= kWarningCondition;
    }
    return warnings;
}

// Uploads the blocks of one range into the upload store: warning bits or a failure.
int UploadRange(const BlockRange& range, CommandContext& context) {
    int count = 0;
    const CpuStatus listed = cpuLink_GetBlockList(context.connection, range.type, 0, &count,
                                                  context.numbers, kBlockNumberCapacity);
    if (IsError(listed)) return -1;
    if (count <= 0) return kWarningNoBlock;
    if (count > kBlockNumberCapacity) count = kBlockNumberCapacity;
    int warnings = 0;
    bool stored = false;
    for (int i = 0; i < count; ++i) {
        const uint16_t number = context.numbers[i];
        if (number < range.first) continue;
        if (number > range.last) break;
        const CpuStatus status = cpuLink_UploadBlock(context.connection, range.type, number,
                                                     context.blockBuffer, kMaxBlockImage);
        if (IsError(status)) return -2;
        if (status != CPULINK_OK) {
            warnings |= kWarningCondition;
            continue;
        }
        if (!context.uploads->Add(context.blockBuffer, kMaxBlockImage)) return -3;
        stored = true;
    }
    return stored ? warnings : warnings | kWarningNoBlock;
}

// The numbers of all download blocks of the type, in store order.
int ListDownloadBlocks(int type, CommandContext& context) {
    int count = 0;
    uint16_t number = 0;
    if (!context.downloads->FirstOfType(type, &number)) return 0;
    int walkedType = type;
    while (walkedType == type && count < kBlockNumberCapacity) {
        context.numbers[count++] = number;
        if (!context.downloads->Next(&walkedType, &number)) break;
    }
    return count;
}

int DownloadRange(const BlockRange& range, CommandContext& context) {
    const int count = ListDownloadBlocks(range.type, context);
    if (count == 0) return kWarningNoBlock;
    int warnings = 0;
    bool handled = false;
    for (int i = 0; i < count; ++i) {
        const uint16_t number = context.numbers[i];
        if (number < range.first) continue;
        if (number > range.last) break;
        const uint8_t* image = context.downloads->Find(range.type, number);
        if (image == nullptr) continue;
        const CpuStatus status = cpuLink_DownloadBlock(context.connection, image);
        if (IsError(status)) return -1;
        if (status != CPULINK_OK) warnings |= kWarningCondition;
        handled = true;
    }
    return handled ? warnings : warnings | kWarningNoBlock;
}

using RangeStep = int (*)(const BlockRange&, CommandContext&);

int ForEachRange(const wchar_t* list, RangeStep step, CommandContext& context) {
    ListItems items(list, kBlockItemCapacity);
    wchar_t item[kBlockItemCapacity];
    int warnings = 0;
    for (int got; (got = items.Next(item)) > 0;) {
        BlockRange range;
        if (ParseBlockItem(item, range) != 0) continue;
        const int result = step(range, context);
        if (result < 0) return result;
        warnings |= result;
    }
    return warnings;
}

}  // namespace

int RunCommandStep(int keyword, const wchar_t* value, CommandContext& context) {
    CpuConnection* connection = context.connection;
    switch (keyword) {
        case kKeywordVar:
            return WriteVariables(value, context);
        case kKeywordUpload:
            return ForEachRange(value, UploadRange, context);
        case kKeywordDownload:
            return ForEachRange(value, DownloadRange, context);
        case kKeywordCompress:
            return ControllerOperation(cpuLink_CompressMemory(connection, kCompressTimeoutMs));
        case kKeywordRamToRom:
            return ControllerOperation(cpuLink_CopyRamToRom(connection, kRamToRomTimeoutMs));
        case kKeywordClear:
            return ControllerOperation(cpuLink_Clear(connection));
        case kKeywordStop:
            return ControllerOperation(cpuLink_Stop(connection));
        case kKeywordRun:
            return ControllerOperation(cpuLink_WarmRestart(connection));
        default:
            return 0;
    }
}

int CommandFailureOffset(int keyword) {
    switch (keyword) {
        case kKeywordCompress:
            return 210;
        case kKeywordRamToRom:
            return 220;
        case kKeywordClear:
            return 230;
        case kKeywordRun:
            return 240;
        case kKeywordStop:
            return 250;
        case kKeywordVar:
            return 260;
        case kKeywordUpload:
            return 270;
        case kKeywordDownload:
            return 280;
        default:
            return 0;
    }
}

}  // namespace vexal::cmd
