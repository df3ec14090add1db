#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "block_images.h"
#include "busport.h"
#include "cpulink.h"

extern "C" {
size_t ContractsAsC_DescriptorSize(void);
int ContractsAsC_IsFatal(unsigned status);
unsigned ContractsAsC_PackRef(int type, unsigned number);
}

namespace {

static_assert(sizeof(CpuConnection) == 2128);
static_assert(alignof(CpuConnection) >= alignof(void*));
static_assert(sizeof(BusParameters) == 20);
static_assert(offsetof(VariableDescriptor, kind) == VARIABLE_DESCRIPTOR_KIND_OFFSET);
static_assert(offsetof(VariableDescriptor, valuePresent) ==
              VARIABLE_DESCRIPTOR_VALUE_PRESENT_OFFSET);
static_assert(offsetof(VariableDescriptor, elementCount) ==
              VARIABLE_DESCRIPTOR_ELEMENT_COUNT_OFFSET);
static_assert(offsetof(VariableDescriptor, value) == VARIABLE_DESCRIPTOR_VALUE_OFFSET);

TEST(StatusWords, FatalExactlyWhenBothHighBitsAreSet) {
    struct Case {
        unsigned status;
        bool fatal;
    };
    const Case cases[] = {
        {CPULINK_OK, false},
        {CPULINK_NOT_FOUND, false},
        {CPULINK_MORE_ENTRIES, false},
        {CPULINK_BLOCK_PROTECTED, false},
        {CPULINK_NEGATIVE_ANSWER, false},
        {0x8000, false},
        {0x4010, false},
        {0xC001, true},
        {CPULINK_CANNOT_CONNECT, true},
        {CPULINK_CONNECTION_LOST, true},
        {CPULINK_TIMEOUT, true},
        {CPULINK_PROTOCOL_ERROR, true},
        {CPULINK_NOT_CONNECTED, true},
        {CPULINK_ADAPTER_OFFLINE, true},
        {CPULINK_PASSWORD_REFUSED, true},
        {0xFFFF, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CpuStatus_IsFatal(static_cast<CpuStatus>(c.status)) != 0, c.fatal)
            << std::hex << c.status;
        EXPECT_EQ(ContractsAsC_IsFatal(c.status) != 0, c.fatal) << std::hex << c.status;
    }
}

TEST(SharedTypes, CAndCppSeeTheSameLayouts) {
    EXPECT_EQ(ContractsAsC_DescriptorSize(), sizeof(VariableDescriptor));
    EXPECT_EQ(ContractsAsC_PackRef(3, 0xBEEF), BlockRef_Pack(3, 0xBEEF));
}

TEST(SharedTypes, BlockRefKeepsTypeHighAndNumberLow) {
    const BlockRef ref = BlockRef_Pack(BLOCK_TYPE_SDB, 65535);
    EXPECT_EQ(ref, 0x0004FFFFu);
    EXPECT_EQ(BlockRef_Type(ref), BLOCK_TYPE_SDB);
    EXPECT_EQ(BlockRef_Number(ref), 65535);
    EXPECT_EQ(BlockRef_Type(ref | 0x80000000u) & 0x7FFF, BLOCK_TYPE_SDB);
    EXPECT_EQ(BlockRef_Number(BlockRef_Pack(BLOCK_TYPE_OB, 1)), 1);
}

TEST(SharedTypes, StationKeyHoldsTheFirstOctetLowest) {
    const StationKey key = StationKey_FromOctets(192, 168, 0, 10);
    EXPECT_EQ(key, 0x0A00A8C0u);
    EXPECT_EQ(StationKey_Octet(key, 0), 192);
    EXPECT_EQ(StationKey_Octet(key, 3), 10);
    EXPECT_TRUE(StationKey_IsIp(key));
    EXPECT_FALSE(StationKey_IsIp(126));
    EXPECT_TRUE(StationKey_IsIp(127));
}

TEST(BlockType, ReadsTheTypeCodeOfAnImageThatBeginsWithPp) {
    struct Case {
        uint8_t code;
        int type;
    };
    const Case cases[] = {{0x08, 0}, {0x0E, 1},  {0x0C, 2},  {0x0A, 3},  {0x0B, 4},  {0x0F, 5},
                          {0x0D, 6}, {0x00, -1}, {0x09, -1}, {0x10, -1}, {0xFF, -1}, {0x70, -1}};
    for (const Case& c : cases) {
        auto image = vexal::testing::MakeBlockImage(BLOCK_TYPE_OB, 1, 40);
        image[5] = c.code;
        EXPECT_EQ(cpuLink_GetBlockType(image.data()), c.type) << int(c.code);
    }
}

TEST(BlockType, RefusesAnImageWithoutPp) {
    auto image = vexal::testing::MakeBlockImage(BLOCK_TYPE_FC, 1, 40);
    image[1] = 0x71;
    EXPECT_EQ(cpuLink_GetBlockType(image.data()), -1);
    image[0] = 0x00;
    image[1] = 0x70;
    EXPECT_EQ(cpuLink_GetBlockType(image.data()), -1);
    EXPECT_EQ(cpuLink_GetBlockType(nullptr), -1);
}

TEST(ConnectionRecord, DestroyingANeverInitialisedRecordIsSafe) {
    static CpuConnection record;
    cpuLink_DestroyConnection(&record);
    cpuLink_DestroyConnection(&record);
    const CpuConnection zero{};
    EXPECT_EQ(std::memcmp(&record, &zero, sizeof record), 0);
}

TEST(BusAdapter, CloseAndOfflineAcceptAnInvalidHandle) {
    Busport_GoOffline(BUSPORT_INVALID_HANDLE);
    Busport_Close(BUSPORT_INVALID_HANDLE);
    BusParameters parameters{};
    EXPECT_EQ(Busport_GetCurNetPrm(BUSPORT_INVALID_HANDLE, &parameters), 0);
}

}  // namespace
