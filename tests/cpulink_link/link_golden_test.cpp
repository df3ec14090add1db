// The library's requests compared byte for byte with frames from the protocol notes, and
// its reading of captured controller answers, against a scripted peer.
#include <algorithm>
#include <functional>

#include "block_images.h"
#include "link_fixture.h"
#include "raw_iso.h"
#include "s7_exchanges.h"
#include "scripted_upload.h"

namespace vexal::testing {
namespace {

// Opens a link to a peer that confirms, grants 240 bytes and then plays `steps`.
class LinkGolden : public LinkTest {
protected:
    ~LinkGolden() override { cpuLink_CloseConnection(&record); }

    void Play(std::vector<ScriptedPeer::Step> steps) {
        steps.insert(steps.begin(), {{kSetupAnswer}});
        steps.insert(steps.begin(), {{kConnectionConfirm}});
        peer = std::make_unique<ScriptedPeer>(std::move(steps));
        SetLinkSettings(peer->Port(), 1000);
        ASSERT_EQ(Open(), CPULINK_OK);
    }

    // The frames the library sent, after closing the link.
    std::vector<Bytes> Sent() {
        cpuLink_CloseConnection(&record);
        return peer->Finish();
    }

    std::unique_ptr<ScriptedPeer> peer;
};

TEST_F(LinkGolden, ConnectsWithThePgConnectionRequestAndAsksFor960Bytes) {
    Play({});
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(ToHex(sent[0]), ToHex(FindS7Exchange("connect").steps.at(0).request));
    EXPECT_EQ(ToHex(sent[1]), ToHex(FindS7Exchange("set-up").steps.at(0).request));
}

CpuStatus ReadClock(CpuConnection* record) {
    CpuClock clock{};
    const CpuStatus status = cpuLink_GetClock(record, &clock);
    EXPECT_EQ(ToHex(Bytes(clock.bytes, clock.bytes + 8)), "14 08 20 11 59 43 91 24");
    return status;
}

CpuStatus ReadTwoBytesOfDb5(CpuConnection* record) {
    std::vector<Variable> bytes = {Variable(kDb, kByte, 6, 5)};
    bytes[0].descriptor.elementCount = 2;
    const CpuStatus status = cpuLink_ReadVariables(record, Pointers(bytes).data(), 1);
    EXPECT_EQ(bytes[0].Bytes(2), Hex("12 34"));
    return status;
}

CpuStatus ReadWithFillBytesAndAnErrorItem(CpuConnection* record) {
    std::vector<Variable> v = {Variable(kFlags, kBit, 10, 0, 3), Variable(kFlags, kByte, 10),
                               Variable(kDb, kByte, 0, 999), Variable(kFlags, kWord, 10)};
    const CpuStatus status = cpuLink_ReadVariables(record, Pointers(v).data(), 4);
    EXPECT_EQ(ToHex(v[0].Bytes(1)) + " " + ToHex(v[1].Bytes(1)) + " " + ToHex(v[3].Bytes(2)),
              "01 08 08 00");
    EXPECT_EQ(v[2].descriptor.valuePresent, 0u);
    return status;
}

CpuStatus WriteTwoBytesOfDb5(CpuConnection* record) {
    std::vector<Variable> bytes = {Variable(kDb, kByte, 6, 5)};
    bytes[0].descriptor.elementCount = 2;
    bytes[0].SetBytes({0x12, 0x34});
    return cpuLink_WriteVariables(record, Pointers(bytes).data(), 1);
}

CpuStatus UploadDb(CpuConnection* record, uint16_t number) {
    uint8_t buffer[1000];
    return cpuLink_UploadBlock(record, BLOCK_TYPE_DB, number, buffer, sizeof buffer);
}

// A status list shown as record length, record count and its first bytes.
CpuStatus ShowList(CpuConnection* record, uint16_t id, const std::string& expected) {
    uint8_t records[40];
    uint16_t length = 0, count = 0;
    const CpuStatus status = cpuLink_ReadSsl(record, id, 0, &length, &count, records, 40);
    EXPECT_EQ(std::to_string(length) + "x" + std::to_string(count) + ": " +
                  ToHex(Bytes(records, records + std::min(8, length * count))),
              expected);
    return status;
}

// Block info shown as its fields, names and time stamps in hex.
CpuStatus ShowInfo(CpuConnection* record, int type, uint16_t number, const std::string& expected) {
    CpuBlockInfo i{};
    const CpuStatus status = cpuLink_GetBlockInfo(record, type, number, &i);
    char text[200];
    std::snprintf(text, sizeof text,
                  "%d %u lang %u flags %u load %u code %u local %u %llX %llX "
                  "sum %04X v %02X %s/%s/%s",
                  i.type, i.number, i.language, i.flags, i.loadLength, i.codeLength,
                  i.localDataLength, static_cast<unsigned long long>(i.codeTime),
                  static_cast<unsigned long long>(i.interfaceTime), i.checksum, i.version, i.author,
                  i.family, i.name);
    EXPECT_EQ(text, expected);
    return status;
}

// Each call makes the requests of its exchange, byte for byte, and reads the answers.
TEST_F(LinkGolden, EachCallMakesTheRequestsOfTheNotesAndReadsTheAnswers) {
    const CpuStatus ok = CPULINK_OK;
    const struct {
        const char* exchange;
        CpuStatus status;
        std::function<CpuStatus(CpuConnection*)> call;
    } cases[] = {
        {"write DB5.DBB6", ok, WriteTwoBytesOfDb5},
        {"read DB5.DBB6", ok, ReadTwoBytesOfDb5},
        {"read with fill bytes and an error item", ok, ReadWithFillBytesAndAnErrorItem},
        {"unknown status list", CPULINK_NOT_FOUND,
         [](CpuConnection* r) { return ShowList(r, 0x77, "0x0: "); }},
        {"stop", ok, cpuLink_Stop},
        {"stop when stopped", CPULINK_WRONG_MODE, cpuLink_Stop},
        {"compress", ok, [](CpuConnection* r) { return cpuLink_CompressMemory(r, 30000); }},
        {"copy RAM to ROM", ok, [](CpuConnection* r) { return cpuLink_CopyRamToRom(r, 120000); }},
        {"delete DB3", ok,
         [](CpuConnection* r) { return cpuLink_DeleteBlock(r, BLOCK_TYPE_DB, 3); }},
        {"upload a missing block", CPULINK_NOT_FOUND,
         [](CpuConnection* r) { return UploadDb(r, 999); }},
        {"warm restart", ok, cpuLink_WarmRestart},
        {"captured: clock after a late answer to an earlier request", ok, ReadClock},
        {"captured: log in with an empty password, refused", CPULINK_PASSWORD_REFUSED,
         [](CpuConnection* r) { return cpuLink_LogInW(r, L""); }},
        {"captured: upload of a missing block refused with a parameter", CPULINK_NOT_FOUND,
         [](CpuConnection* r) { return UploadDb(r, 1); }},
        {"captured: block info of DB1", ok,
         [](CpuConnection* r) {
             return ShowInfo(r, BLOCK_TYPE_DB, 1,
                             "3 1 lang 5 flags 1 load 102 code 10 local 0 4EF14B02D97 "
                             "1CB655011FC sum 798C v 10 SIMATIC/IEC_TC/CTU");
         }},
        {"captured: block info of a missing block", CPULINK_NOT_FOUND,
         [](CpuConnection* r) {
             return ShowInfo(r, BLOCK_TYPE_DB, 0,
                             "0 0 lang 0 flags 0 load 0 code 0 local 0 0 0 sum 0000 v 00 //");
         }},
    };
    for (const auto& c : cases) {
        const S7Exchange exchange = FindS7Exchange(c.exchange);
        EXPECT_FALSE(exchange.steps.empty()) << c.exchange;
        std::vector<ScriptedPeer::Step> steps;
        for (const S7Exchange::Step& step : exchange.steps) steps.push_back({step.answers});
        Play(steps);
        EXPECT_EQ(c.call(&record), c.status) << c.exchange;
        const std::vector<Bytes> sent = Sent();
        for (size_t i = 0; i < exchange.steps.size(); ++i) {
            EXPECT_EQ(i + 2 < sent.size() ? ToHex(sent[i + 2]) : "none",
                      ToHex(exchange.steps[i].request))
                << c.exchange << " " << i;
        }
    }
}

TEST_F(LinkGolden, AnswersThatDoNotParseAreProtocolErrorsAndCloseTheLink) {
    const Bytes broken[] = {
        Frame(Hex("33 07 0000 0002 000C 000E")),                                       // not S7
        Frame(Hex("32 07 0000 0002 000C 0020  00 01 12 08 12 87 01 01 00 00 00 00")),  // lengths
        Frame(Hex("32 07 0000 0002 000C 0008  00 01 12 08 12 87 01 01 00 00 00 00  FF 09 00 0A 00 "
                  "19 14 08")),
        Frame(Hex("32 07 0000 0002 000C 0004  00 01 12 08 12 84 01 01 00 00 00 00  FF 09 00 00")),
        Hex("04 00 00 07 02 F0 80"),  // not TPKT version 3
    };
    for (const Bytes& answer : broken) {
        Play({{{answer}}});
        CpuClock clock{};
        EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_PROTOCOL_ERROR) << ToHex(answer);
        EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_NOT_CONNECTED);
        Sent();
    }
}

// A peer that grants 128-byte TPDUs: the library cuts its requests to that size and joins
// an answer's TPDUs, whatever header length each one declares.
TEST_F(LinkGolden, WithSmallTpdusRequestsAreCutAndAnswersJoined) {
    Bytes confirm = kConnectionConfirm;
    confirm[13] = 0x07;
    const Bytes clock =
        Hex("32 07 0000 0002 000C 000E  00 01 12 08 12 87 01 01 00 00 00 00 "
            "FF 09 00 0A 00 19 14 08 20 11 59 43 91 24");
    Bytes first = {3, 0, 0, 0, 3, 0xF0, 0x00, 0xAA};  // one header byte more than DT needs
    first.insert(first.end(), clock.begin(), clock.begin() + 10);
    first[3] = static_cast<uint8_t>(first.size());
    Bytes second = {3, 0, 0, 0, 2, 0xF0, 0x80};
    second.insert(second.end(), clock.begin() + 10, clock.end());
    second[3] = static_cast<uint8_t>(second.size());
    const Bytes written = WithReference(
        Frame(Hex("32 03 0000 0002 0002 0008 0000 05 08 FF FF FF FF FF FF FF FF")), 3);
    peer = std::make_unique<ScriptedPeer>(std::vector<ScriptedPeer::Step>{
        {{confirm}}, {{kSetupAnswer}}, {{first, second}}, {{}}, {{written}}});
    SetLinkSettings(peer->Port(), 1000);
    ASSERT_EQ(Open(), CPULINK_OK);
    EXPECT_EQ(ReadClock(&record), CPULINK_OK);
    std::vector<Variable> words(8, Variable(kDb, kByte, 6, 5));
    for (Variable& word : words) word.descriptor.elementCount = 4;
    EXPECT_EQ(cpuLink_WriteVariables(&record, Pointers(words).data(), 8), CPULINK_OK);
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[3].size(), 4u + 128) << "a whole TPDU, not the last";
    EXPECT_EQ(sent[3][6], 0x00);
    EXPECT_EQ(sent[4][6], 0x80);
    EXPECT_EQ(sent[3].size() - 7 + sent[4].size() - 7, 10u + 2 + 8 * 12 + 8 * 8);
}

// Every upload of OB1 from a peer that serves something else is a protocol error; the
// peer's chunks stop being asked for once the block cannot be that long.
TEST_F(LinkGolden, AnUploadThatIsNotTheBlockAskedForIsAProtocolError) {
    const Bytes ob1 = MakeBlockImage(BLOCK_TYPE_OB, 1, 300);
    const struct {
        const char* name;
        Bytes image;
        uint32_t announced;
        bool endless;
        CpuStatus status;
        size_t maxChunkRequests;
    } cases[] = {
        {"the block itself", ob1, 300, false, CPULINK_OK, 2},
        {"without announced length", ob1, 0, false, CPULINK_OK, 2},
        {"another block", MakeBlockImage(BLOCK_TYPE_FB, 7, 300), 300, false, CPULINK_PROTOCOL_ERROR,
         2},
        {"another number", WithByte(ob1, 7, 2), 300, false, CPULINK_PROTOCOL_ERROR, 2},
        {"no block marker", WithByte(ob1, 1, 0x71), 300, false, CPULINK_PROTOCOL_ERROR, 2},
        {"length field short", WithByte(ob1, 10, 0), 300, false, CPULINK_PROTOCOL_ERROR, 2},
        {"length field long", WithByte(ob1, 10, 2), 0, false, CPULINK_PROTOCOL_ERROR, 2},
        {"announced longer", ob1, 301, false, CPULINK_PROTOCOL_ERROR, 2},
        {"announced shorter", ob1, 299, false, CPULINK_PROTOCOL_ERROR, 2},
        {"endless more data", ob1, 300, true, CPULINK_PROTOCOL_ERROR, 3},
        {"endless, nothing announced", ob1, 0, true, CPULINK_PROTOCOL_ERROR, 3},
        // 65836 bytes in chunks of 200 and 100.
        {"endless, long length field", WithByte(ob1, 9, 1), 0, true, CPULINK_PROTOCOL_ERROR, 440},
    };
    for (const auto& c : cases) {
        Play(UploadAnswers(c.image, c.announced, c.endless));
        CpuStatus status = 0;
        const Bytes image = Upload(BLOCK_TYPE_OB, 1, &status);
        EXPECT_EQ(status, c.status) << c.name;
        EXPECT_EQ(image, c.status == CPULINK_OK ? ob1 : Bytes{}) << c.name;
        // Besides the chunks: connection, set-up, start and end of the upload.
        EXPECT_LE(Sent().size(), c.maxChunkRequests + 4) << c.name;
    }
}

}  // namespace
}  // namespace vexal::testing
