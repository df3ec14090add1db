#include "link_fixture.h"

namespace vexal::testing {
namespace {

constexpr uint8_t kInputs = 0x81, kOutputs = 0x82, kFlags = 0x83, kDb = 0x84;
constexpr uint8_t kCounters = 0x1C, kTimers = 0x1D;
constexpr uint8_t kBit = 0x01, kByte = 0x02, kWord = 0x04, kDword = 0x06;

class LinkVariables : public LinkTest {
protected:
    void SetUp() override { StartAndOpen(); }

    CpuStatus Write(std::vector<Variable>& variables) {
        auto pointers = Pointers(variables);
        return cpuLink_WriteVariables(&record, pointers.data(), static_cast<int>(pointers.size()));
    }
    CpuStatus Read(std::vector<Variable>& variables) {
        auto pointers = Pointers(variables);
        return cpuLink_ReadVariables(&record, pointers.data(), static_cast<int>(pointers.size()));
    }
};

TEST_F(LinkVariables, WrittenValuesReadBackInControllerByteOrder) {
    const struct {
        Variable variable;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {Variable(kFlags, kBit, 10, 0, 3), {1}},
        {Variable(kFlags, kByte, 11), {0xAB}},
        {Variable(kFlags, kWord, 12), {0x12, 0x34}},
        {Variable(kFlags, kDword, 20), {1, 2, 3, 4}},
        {Variable(kOutputs, kWord, 4), {0xBE, 0xEF}},
        {Variable(kInputs, kByte, 0), {0x5A}},
        {Variable(kDb, kWord, 2, 1), {0xCA, 0xFE}},
        {Variable(kCounters, kCounters, 5), {0x01, 0x23}},
        {Variable(kTimers, kTimers, 7), {0x21, 0x50}},
    };
    std::vector<Variable> written, read;
    for (const auto& c : cases) {
        written.push_back(c.variable);
        written.back().SetBytes(c.bytes);
        read.push_back(c.variable);
    }
    ASSERT_EQ(Write(written), CPULINK_OK);
    ASSERT_EQ(Read(read), CPULINK_OK);
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_NE(read[i].descriptor.valuePresent, 0u) << i;
        EXPECT_EQ(read[i].Bytes(cases[i].bytes.size()), cases[i].bytes) << i;
    }
    EXPECT_EQ(Controller().Flags()[10], 0x08) << "M10.3 alone was set";
}

TEST_F(LinkVariables, SixteenVariablesTakeExactlyOneExchange) {
    std::vector<Variable> variables;
    for (uint32_t i = 0; i < 16; ++i) variables.emplace_back(kFlags, i % 2 ? kDword : kByte, i * 4);
    const uint64_t before = simulator->RequestCount();
    ASSERT_EQ(Read(variables), CPULINK_OK);
    EXPECT_EQ(simulator->RequestCount() - before, 1u);
}

TEST_F(LinkVariables, MoreVariablesThanOneJobHoldsAreSplit) {
    std::vector<Variable> variables;
    for (uint32_t i = 0; i < 45; ++i) variables.emplace_back(kFlags, kWord, i * 2);
    for (uint32_t i = 0; i < 45; ++i) variables[i].SetBytes({0, static_cast<uint8_t>(i)});
    ASSERT_EQ(Write(variables), CPULINK_OK);
    for (Variable& v : variables) v.value = 0;
    const uint64_t before = simulator->RequestCount();
    ASSERT_EQ(Read(variables), CPULINK_OK);
    EXPECT_EQ(simulator->RequestCount() - before, 3u);
    for (uint32_t i = 0; i < 45; ++i) EXPECT_EQ(variables[i].Bytes(2)[1], i);
}

TEST_F(LinkVariables, ARefusedItemHasNoValueAndDoesNotStopTheOthers) {
    std::vector<Variable> variables = {Variable(kFlags, kByte, 1), Variable(kDb, kWord, 0, 999),
                                       Variable(kFlags, kWord, 60000), Variable(kFlags, kByte, 2)};
    for (Variable& v : variables) v.descriptor.valuePresent = 7;
    ASSERT_EQ(Read(variables), CPULINK_OK);
    EXPECT_NE(variables[0].descriptor.valuePresent, 0u);
    EXPECT_EQ(variables[1].descriptor.valuePresent, 0u);
    EXPECT_EQ(variables[2].descriptor.valuePresent, 0u);
    EXPECT_NE(variables[3].descriptor.valuePresent, 0u);
}

TEST_F(LinkVariables, ARefusedWriteIsANonFatalStatus) {
    std::vector<Variable> missingDb = {Variable(kFlags, kByte, 1), Variable(kDb, kWord, 0, 999)};
    EXPECT_EQ(Write(missingDb), CPULINK_NOT_FOUND);
    std::vector<Variable> beyond = {Variable(kFlags, kDword, 4000)};
    EXPECT_EQ(Write(beyond), CPULINK_ADDRESS_OUT_OF_RANGE);
    std::vector<Variable> fine = {Variable(kFlags, kByte, 1)};
    EXPECT_EQ(Write(fine), CPULINK_OK) << "the link stays open";
}

TEST_F(LinkVariables, DescriptorsThatCannotBeSentAreRefused) {
    Variable unknownSize(kFlags, 0x42, 0);
    Variable twoBits(kFlags, kBit, 0);
    twoBits.descriptor.elementCount = 2;
    Variable noValue(kFlags, kByte, 0);
    noValue.descriptor.value = nullptr;
    Variable tooLong(kFlags, kDword, 0);
    tooLong.descriptor.elementCount = 2;
    EXPECT_EQ(cpuLink_ReadVariables(
                  &record, std::vector<VariableDescriptor*>{&unknownSize.descriptor}.data(), 1),
              CPULINK_TYPE_NOT_SUPPORTED);
    for (Variable* v : {&twoBits, &noValue, &tooLong}) {
        VariableDescriptor* one[] = {&v->descriptor};
        EXPECT_EQ(cpuLink_ReadVariables(&record, one, 1), CPULINK_INVALID_ARGUMENT);
        EXPECT_EQ(cpuLink_WriteVariables(&record, one, 1), CPULINK_INVALID_ARGUMENT);
    }
    EXPECT_EQ(cpuLink_ReadVariables(&record, nullptr, 1), CPULINK_INVALID_ARGUMENT);
    EXPECT_EQ(cpuLink_ReadVariables(&record, nullptr, 0), CPULINK_INVALID_ARGUMENT);
    VariableDescriptor* none[1] = {};
    EXPECT_EQ(cpuLink_ReadVariables(&record, none, 0), CPULINK_OK);
}

}  // namespace
}  // namespace vexal::testing
