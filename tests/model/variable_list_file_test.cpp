// The variable list file on its own: how a line splits and becomes a variable, how files
// read with either line end, and that a save is all or nothing.
#include "variable_list_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "file_size_limit.h"
#include "table_file.h"
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

TEST_F(VariableListFileTest, LinesSplitAndBecomeVariables) {
    for (const auto& row : testing::LoadTable(__FILE__, "variable_list_lines.txt")) {
        SCOPED_TRACE(::testing::Message() << row.at(1));
        EXPECT_EQ(SplitVariableListLine(row[1]).modify, row.at(2));
        ListedVariable listed;
        ASSERT_EQ(ParseVariableListLine(row[1], &listed), row[0] == L"accept");
        if (row[0] != L"accept") continue;
        EXPECT_EQ(listed.addressText, row.at(3));
        EXPECT_EQ(listed.formatText, row.at(4));
        EXPECT_EQ(listed.format, VariableFormatOfName(row[4]));
        const std::wstring modify = row.size() > 5 ? row[5] : L"";
        EXPECT_EQ(listed.hasModify, !modify.empty());
        EXPECT_EQ(listed.descriptor.elementCount, 1);
        uint8_t word[4];
        std::memcpy(word, &listed.modifyValue, sizeof word);
        for (size_t i = 0; i + 1 < modify.size(); i += 2) {
            EXPECT_EQ(word[i / 2], testing::Hex(modify.substr(i, 2))) << i;
        }
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
