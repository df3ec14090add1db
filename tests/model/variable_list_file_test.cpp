// The variable list file on its own: how a line splits and becomes a variable, how files
// read with either line end, and that a save is all or nothing.
#include "variable_list_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "file_size_limit.h"
#include "temp_dir.h"

namespace vexal {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes FromText(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

class VariableListFileTest : public ::testing::Test {
protected:
    std::vector<std::wstring> Read(const std::string& content) const {
        testing::WriteBytes(path, FromText(content));
        std::vector<std::wstring> lines;
        EXPECT_TRUE(ReadVariableListFile(path.c_str(), &lines));
        return lines;
    }

    testing::TempDir dir;
    std::string path = dir.File("table.csv");
};

struct LineCase {
    const wchar_t* line;
    const wchar_t* modifyField;  // the third field as split, before trimming
    bool accepted;
    const wchar_t* addressText;
    const wchar_t* formatText;
    bool hasModify;
    Bytes modifyBytes;  // the value word's first bytes
};

TEST_F(VariableListFileTest, LinesSplitAndBecomeVariables) {
    const LineCase cases[] = {
        {L"MW10,DEC,", L"", true, L"MW10", L"DEC", false, {}},
        {L" db1.dbw2 , hex , 16#00FF", L" 16#00FF", true, L"db1.dbw2", L"HEX", true, {0x00, 0xFF}},
        {L"M0.1,Dec,1", L"1", true, L"M0.1", L"DEC", true, {0x01}},
        {L"MD4,float,1.5", L"1.5", true, L"MD4", L"FLOAT", true, {0x3F, 0xC0, 0x00, 0x00}},
        {L"MW10,HEX", L"", true, L"MW10", L"HEX", false, {}},
        {L"T5,DEC,", L"", true, L"T5", L"DEC", false, {}},  // any name suits any kind
        {L"MW10,HEX,   ", L"   ", true, L"MW10", L"HEX", false, {}},
        {L"MW10", L"", false},
        {L"MW10,HEX,1,5", L"1,5", false},  // the comma reaches the conversion
        {L"XY10,HEX,", L"", false},
        {L"P#M0.0 BYTE 10,HEX,", L"", false},
        {L"MW10,WORD,", L"", false},
        {L"MW10,HEX,70000", L"70000", false},
        {L",HEX,1", L"1", false},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::wstring(c.line));
        EXPECT_EQ(SplitVariableListLine(c.line).modify, c.modifyField);
        ListedVariable listed;
        ASSERT_EQ(ParseVariableListLine(c.line, &listed), c.accepted);
        if (!c.accepted) continue;
        EXPECT_EQ(listed.addressText, c.addressText);
        EXPECT_EQ(listed.formatText, c.formatText);
        EXPECT_EQ(listed.format, VariableFormatOfName(c.formatText));
        EXPECT_EQ(listed.hasModify, c.hasModify);
        EXPECT_EQ(listed.descriptor.elementCount, 1);
        uint8_t word[4];
        std::memcpy(word, &listed.modifyValue, sizeof word);
        EXPECT_EQ(Bytes(word, word + c.modifyBytes.size()), c.modifyBytes);
    }
}

TEST_F(VariableListFileTest, ReadingStopsAtTheFirstEmptyLineWhateverTheLineEnds) {
    using Lines = std::vector<std::wstring>;
    const struct {
        std::string content;
        Lines lines;
    } cases[] = {
        {"MW10,DEC,\nMB1,HEX,\n", {L"MW10,DEC,", L"MB1,HEX,"}},
        {"MW10,DEC,\r\nMB1,HEX,\r\n", {L"MW10,DEC,", L"MB1,HEX,"}},
        {"MW10,DEC,", {L"MW10,DEC,"}},
        {"\nMW10,DEC,\n", {}},
        {"\r\nMW10,DEC,\r\n", {}},
        {"MW10,DEC,\n\nMB1,HEX,\n", {L"MW10,DEC,"}},
        {"", {}},
        {"DB1.DBW2,HEX,\xC3\xA4\xE2\x82\xAC\n", {L"DB1.DBW2,HEX,\u00E4\u20AC"}},
        {"M\xFF\xC3,HEX,\n", {L"M\uFFFD\uFFFD,HEX,"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        EXPECT_EQ(Read(c.content), c.lines);
    }
    std::vector<std::wstring> lines;
    EXPECT_FALSE(ReadVariableListFile(dir.File("missing.csv").c_str(), &lines));
}

TEST_F(VariableListFileTest, AFailedSaveKeepsThePreviousFile) {
    const Bytes old = FromText("MW10,DEC,\n");
    testing::WriteBytes(path, old);
    const std::vector<VariableListFields> rows(16, {L"DB100.DBD100", L"FLOAT", L"1.000000e+00"});
    {
        testing::FileSizeLimit limit(64);
        EXPECT_FALSE(WriteVariableListFile(path.c_str(), rows));
    }
    EXPECT_EQ(testing::ReadBytes(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1)
        << "no temporary file is left behind";
    EXPECT_FALSE(WriteVariableListFile(dir.File("missing/table.csv").c_str(), rows));
}

}  // namespace
}  // namespace vexal
