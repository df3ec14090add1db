#include <gtest/gtest.h>

#include <cstring>

#include "block_images.h"
#include "contract_layouts.h"

extern "C" {
int ContractsAsC_IsFatal(unsigned status);
unsigned ContractsAsC_PackRef(int type, unsigned number);
}

namespace {

TEST(StatusWords, FatalExactlyWhenBothHighBitsAreSetInCAndCpp) {
    for (unsigned status = 0; status <= 0xFFFF; ++status) {
        const bool fatal = (status & 0xC000) == 0xC000;
        ASSERT_EQ(CpuStatus_IsFatal(static_cast<CpuStatus>(status)) != 0, fatal) << status;
        ASSERT_EQ(ContractsAsC_IsFatal(status) != 0, fatal) << status;
    }
    for (unsigned status : {CPULINK_NOT_FOUND, CPULINK_MORE_ENTRIES, CPULINK_BLOCK_PROTECTED,
                            CPULINK_NEGATIVE_ANSWER}) {
        EXPECT_LT(status, 0xC000u) << status;
    }
    for (unsigned status :
         {CPULINK_CANNOT_CONNECT, CPULINK_CONNECTION_LOST, CPULINK_TIMEOUT, CPULINK_PROTOCOL_ERROR,
          CPULINK_NOT_CONNECTED, CPULINK_ADAPTER_OFFLINE, CPULINK_PASSWORD_REFUSED}) {
        EXPECT_GE(status, 0xC000u) << status;
    }
}

TEST(SharedTypes, BlockRefKeepsTypeHighAndNumberLow) {
    const BlockRef ref = BlockRef_Pack(BLOCK_TYPE_SDB, 65535);
    EXPECT_EQ(ref, 0x0004FFFFu);
    EXPECT_EQ(BlockRef_Type(ref), BLOCK_TYPE_SDB);
    EXPECT_EQ(BlockRef_Number(ref), 65535);
    EXPECT_EQ(ContractsAsC_PackRef(3, 0xBEEF), BlockRef_Pack(3, 0xBEEF));
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

// The type codes a controller writes at byte 5, pinned separately for the project's block
// image format and for the library's call, so that a code swapped on either side fails.
TEST(BlockType, TypeCodesAreTheControllersInTheProjectAndInTheLibrary) {
    const struct {
        size_t at;
        uint8_t value;
        int type;
    } cases[] = {{5, 0x08, 0},  {5, 0x0E, 1},  {5, 0x0C, 2},  {5, 0x0A, 3},  {5, 0x0B, 4},
                 {5, 0x0F, 5},  {5, 0x0D, 6},  {5, 0x00, -1}, {5, 0x09, -1}, {5, 0x10, -1},
                 {5, 0xFF, -1}, {5, 0x70, -1}, {1, 0x71, -1}, {0, 0x00, -1}};
    for (const auto& c : cases) {
        auto image = vexal::testing::MakeBlockImage(BLOCK_TYPE_OB, 1, 40);
        image[c.at] = c.value;
        EXPECT_EQ(vexal::BlockImageType(image.data()), c.type) << "project " << int(c.value);
        EXPECT_EQ(cpuLink_GetBlockType(image.data()), c.type) << "library " << int(c.value);
        if (c.at == 5 && c.type >= 0) {
            EXPECT_EQ(vexal::BlockTypeCode(c.type), c.value);
        }
    }
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
