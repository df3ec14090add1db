// The two value-list grammars of the commands: block lists ("OB1,FC1-20,DB*") for
// "upload" and "download", variable assignments ("MW0=5,Q4.0=1") for "var".
#pragma once

#include <cstdint>

#include "cpulink.h"

namespace vexal::cmd {

// Item capacities: an item must be shorter than these.
inline constexpr int kBlockItemCapacity = 21;
inline constexpr int kVariableItemCapacity = 41;
inline constexpr int kMaxVariableAddress = 20;
inline constexpr int kMaxVariableValue = 20;

enum ListFailure {
    kItemTooLong = -1,
    // block items
    kUnknownBlockType = -2,
    kBadBlockRange = -3,
    // variable items
    kAddressTooLong = -2,
    kValueTextTooLong = -3,
    kNotANumber = -4,
    kAddressRefused = -5,
    kValueDoesNotFit = -6,
};

// Walks the comma-separated items of a list from left to right. Every item is the text
// up to the next comma; a comma at the very end closes the list, an empty list has no
// items.
class ListItems {
public:
    ListItems(const wchar_t* list, int capacity);
    // 1 with the item (spaces around it cut) in `item`, which holds `capacity`
    // characters; 0 at the end of the list; kItemTooLong for an item of `capacity` or
    // more characters.
    int Next(wchar_t* item);

private:
    const wchar_t* next_;
    const wchar_t* end_;
    int capacity_;
};

struct BlockRange {
    int type;
    uint32_t first;
    uint32_t last;
};

// "OB", "FB", "FC", "DB" or "SDB" in any case, then "*", a number, "a-b" or nothing
// (block 0). Returns 0, kUnknownBlockType or kBadBlockRange.
int ParseBlockItem(const wchar_t* item, BlockRange& range);

// Reads "address=value" into the descriptor, whose value address is set to `valueWord`,
// and encodes the value there. Returns 0 or a variable ListFailure.
int DecodeVariableItem(const wchar_t* item, VariableDescriptor& descriptor, uint32_t& valueWord);

// The value of an assignment: decimal (with sign), "0x" hexadecimal, "0b" binary; an
// empty text is 0. False when the text is not a number.
bool ParseAssignedNumber(const wchar_t* text, int64_t& value);

// Writes the value into the variable's value word, high byte first. False when the
// value is out of the kind's range, the variable has more than one element, or the
// kind takes no value (timers).
bool EncodeVariableValue(int64_t value, VariableDescriptor& descriptor);

// The checks run before connecting: the first failing code of any item, or 0.
int CheckBlockList(const wchar_t* list);
int CheckVariableList(const wchar_t* list);

}  // namespace vexal::cmd
