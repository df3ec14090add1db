#include "tokeniser.h"

#include <gtest/gtest.h>

#include <string>

namespace vexal::cmd {
namespace {

struct TokeniserCase {
    std::wstring line;
    int expected;  // argument count or failure
};

std::wstring Repeat(const std::wstring& text, int times) {
    std::wstring out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

class TokeniserTest : public ::testing::Test {
protected:
    int Tokenise(const std::wstring& line) { return TokeniseCommandLine(line.c_str(), table); }
    std::wstring Value(int index) const { return table.items[index].value; }
    int KeywordAt(int index) const { return table.items[index].keyword; }

    ArgumentTable table;
};

TEST_F(TokeniserTest, CountsArgumentsOrNamesTheFirstFault) {
    const TokeniserCase cases[] = {
        {L"", 0},
        {L"   ", kMissingSlash},
        {L"stop", kMissingSlash},
        {L"  /stop", 1},
        {L"/stop/run", 2},
        {L"/mpi 3 /stop   ", 2},
        {Repeat(L"/stop ", 20), 20},
        {Repeat(L"/stop ", 21), kTooManyArguments},
        {Repeat(L"/stop ", 20) + L"/", kTooManyArguments},
        {L"/", kEndsBeforeKeyword},
        {L"/   ", kEndsBeforeKeyword},
        {L"/stop /", kEndsBeforeKeyword},
        {L"/frobnicate", kEndsBeforeKeyword},
        {L"/abcdefghijklmnopqrst", kEndsBeforeKeyword},
        {L"/abcdefghijklmnopqrstu", kKeywordTooLong},
        {L"/frobnicate 1", kUnknownKeyword},
        {L"/ 1", kUnknownKeyword},
        {L"/1stop", kUnknownKeyword},
        {L"/pass \"abc", kUnclosedQuote},
        {L"/pass \"abc\"x", kUnclosedQuote},
        {L"/pass \"", kUnclosedQuote},
        {L"/frob \"a/b\"", kUnclosedQuote},
        {L"/compress " + Repeat(L"x", 256), 1},
        {L"/compress " + Repeat(L"x", 257), kValueTooLong},
        {L"/compress \"" + Repeat(L"x", 256) + L"\"", 1},
        {L"/pass " + Repeat(L"x", 507), kValueTooLong},
        {L"/pass " + Repeat(L"x", 508), kArgumentTooLong},
        {L"/pass " + Repeat(L"x", 200) + Repeat(L" ", 308), kArgumentTooLong},
        {L"/stop" + Repeat(L" ", 508), 1},
        {L"/stop" + Repeat(L" ", 509), kArgumentTooLong},
        {L"/frobnicate " + Repeat(L"x", 600), kArgumentTooLong},
        {L"/frobnicate " + Repeat(L"x", 300), kValueTooLong},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Tokenise(c.line), c.expected) << std::string(c.line.begin(), c.line.end());
    }
}

TEST_F(TokeniserTest, ShortestKeywordWinsAndTheRestIsTheValue) {
    ASSERT_EQ(Tokenise(L"/MPI 5 /mpi5 /stopnow /Upload   OB1, FC2  /run"), 5);
    EXPECT_EQ(KeywordAt(0), kKeywordMpi);
    EXPECT_EQ(Value(0), L"5");
    EXPECT_EQ(KeywordAt(1), kKeywordMpi);
    EXPECT_EQ(Value(1), L"5");
    EXPECT_EQ(KeywordAt(2), kKeywordStop);
    EXPECT_EQ(Value(2), L"now");
    EXPECT_EQ(KeywordAt(3), kKeywordUpload);
    EXPECT_EQ(Value(3), L"OB1, FC2");
    EXPECT_EQ(KeywordAt(4), kKeywordRun);
    EXPECT_EQ(Value(4), L"");
}

TEST_F(TokeniserTest, QuotesAreRemovedAndValuesKeepTheirCase) {
    ASSERT_EQ(Tokenise(L"/pass \"Se cret\" /fileupload\"\\Temp\\Cpu.wld\""), 2);
    EXPECT_EQ(Value(0), L"Se cret");
    EXPECT_EQ(Value(1), L"\\Temp\\Cpu.wld");
    ASSERT_EQ(Tokenise(L"/pass \"\""), 1);
    EXPECT_EQ(Value(0), L"");
}

TEST_F(TokeniserTest, SlashInsideAQuotedValueOfAKnownKeywordStaysInTheValue) {
    ASSERT_EQ(Tokenise(L"/fileupload \"/tmp/a b/cpu.wld\" /upload OB1"), 2);
    EXPECT_EQ(Value(0), L"/tmp/a b/cpu.wld");
    EXPECT_EQ(KeywordAt(1), kKeywordUpload);
    ASSERT_EQ(Tokenise(L"/filedownload\"/x\"/download DB*"), 2);
    EXPECT_EQ(Value(0), L"/x");
    EXPECT_EQ(Value(1), L"DB*");
    // Without a closing quote the slash still splits, as it always did.
    EXPECT_EQ(Tokenise(L"/fileupload \"/tmp/x"), kUnclosedQuote);
    EXPECT_EQ(Tokenise(L"/fileupload \"/tmp\"/x 1"), kUnknownKeyword);
}

}  // namespace
}  // namespace vexal::cmd
