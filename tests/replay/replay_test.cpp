// Traffic recorded from real S7-300 and S7-400 controllers, replayed: every client request
// to the simulator, whose answers must have the real controller's structure, and every
// controller answer to the library.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include "../cpulink_link/link_fixture.h"
#include "block_store.h"
#include "demo_project.h"
#include "loopback_simulator.h"
#include "project_file.h"
#include "s7_exchanges.h"
#include "scripted_upload.h"

namespace vexal::testing {
namespace {

const char* const kRecordFiles[] = {"../replay/cpu315.txt", "../replay/s7-300.txt",
                                    "../replay/s7-400.txt"};

std::string KindOf(const S7Exchange& record) {
    return record.name.substr(0, record.name.find(" @ "));
}

std::string CaptureOf(const S7Exchange& record) {
    const std::string source = record.name.substr(record.name.find(" @ ") + 3);
    return source.substr(0, source.find(' '));
}

std::vector<S7Exchange> LoadRecords() {
    std::vector<S7Exchange> records;
    for (const char* file : kRecordFiles)
        for (S7Exchange& record : LoadS7Exchanges(file)) records.push_back(std::move(record));
    return records;
}

TEST(Replay, RecordsAreFramesOfTheRecordings) {
    const char* source = std::getenv("VEXAL_SOURCE_DIR");
    const auto captures =
        std::filesystem::path(source != nullptr ? source : ".") / "../shared/real-captures";
    if (!std::filesystem::exists(captures))
        GTEST_SKIP() << "no recordings at " << captures << ": extraction not checked";
    for (const S7Exchange& record : LoadRecords()) {
        std::ifstream in(captures / CaptureOf(record), std::ios::binary);
        const std::string capture{std::istreambuf_iterator<char>(in), {}};
        for (const S7Exchange::Step& step : record.steps) {
            std::vector<Bytes> frames = step.answers;
            frames.push_back(step.request);
            for (const Bytes& frame : frames)
                EXPECT_NE(capture.find(std::string(frame.begin(), frame.end())), std::string::npos)
                    << record.name;
        }
    }
}

// Whether a frame has the structure a pattern of the records gives: hex bytes that must
// be equal, ".." for any byte, "nz" for one not 0, and "*" for any rest.
bool Matches(const std::string& pattern, const Bytes& frame) {
    std::istringstream tokens(pattern);
    size_t at = 0;
    for (std::string token; tokens >> token; ++at) {
        if (token == "*") return true;
        if (at >= frame.size()) return false;
        if (token == "nz" ? frame[at] == 0
                          : token != ".." && frame[at] != std::stoul(token, nullptr, 16))
            return false;
    }
    return at == frame.size();
}

// Plays one record to the simulator on a new connection; empty when every answer has the
// structure of the recorded one, else the first that has not. A tool's acknowledgement carries the
// reference of the simulator's request it answers, a follow-up the job slot of the answer it
// continues, an upload job the id of the upload the simulator started.
std::string DifferenceFromTheRecord(uint16_t port, uint16_t pdu, const S7Exchange& record) {
    RawIsoClient client;
    const bool setsUp = record.steps.front().request[17] == 0xF0;
    if (!(setsUp ? client.Connect(port) &&
                       !client.Exchange(FindS7Exchange("connect").steps[0].request).empty()
                 : client.Open(port, pdu)))
        return "no connection";
    // The recordings' tools had logged in with the CPU's password, "toor" scrambled.
    if (KindOf(record) != "userdata 5/01")
        client.Exchange(Frame(UserdataRequest(5, 1, Hex("21 3A 1B 1D 6E 68 1B 1D"))));
    Bytes last;
    uint8_t upload[4] = {};  // the id of the upload the simulator started
    for (const S7Exchange::Step& step : record.steps) {
        Bytes request = step.request;
        if (request[8] == 0x03 && !last.empty())
            request = WithReference(request, ReferenceOf(last));
        if (request[8] == 0x07 && request[20] == 0x08 && request[24] != 0 && last.size() > 24)
            request[24] = last[24];
        if (request[8] == 0x01 && (request[17] == 0x1E || request[17] == 0x1F))
            std::copy(upload, upload + 4, request.begin() + 21);
        client.Send(request);
        for (const std::string& pattern : step.patterns) {
            last = client.Receive();
            if (last.size() > 26 && last[8] == 0x03 && last[19] == 0x1D)
                std::copy(last.begin() + 23, last.begin() + 27, upload);
            if (!Matches(pattern, last))
                return "simulator " + ToHex(last) + "\nstructure " + pattern;
        }
    }
    // A closing acknowledgement has no answer: one more exchange shows it was taken.
    if (record.steps.back().patterns.empty()) client.Exchange(Frame(UserdataRequest(7, 1, {})));
    return "";
}

// The program the recorded controller of `capture` held as far as its records show
// (blocks.txt, made by images.py): the images the recordings carry whole, and demo blocks
// of the right type and number, DBs as long as the records use, for the others.
std::string WriteRecordedProgram(const std::string& capture) {
    std::ifstream in = OpenBeside(__FILE__, "program.wld");
    const Bytes carried{std::istreambuf_iterator<char>(in), {}};
    std::map<std::pair<int, uint16_t>, const uint8_t*> images;
    for (size_t at = 0; at + kBlockHeaderSize <= carried.size();
         at += BlockImageLength(carried.data() + at)) {
        const uint8_t* image = carried.data() + at;
        images[{BlockImageType(image), BlockImageNumber(image)}] = image;
    }
    auto store = std::make_unique<BlockStore>();
    for (const TableRow& row : LoadTable(__FILE__, "blocks.txt")) {
        if (Narrow(row[0]) != capture) continue;
        const int type = BlockTypeOfCode(static_cast<uint8_t>(Hex(row[1])));
        const auto number = static_cast<uint16_t>(std::stoi(row[2]));
        if (row[3] == L"image") {
            const uint8_t* image = images.at({type, number});
            store->Add(image, BlockImageLength(image));
        } else {
            const Bytes block = MakeDemoBlock(type, number, std::max(std::stoi(row[3]), 64));
            store->Add(block.data(), block.size());
        }
    }
    const std::string path = "replay-" + capture + ".wld";
    EXPECT_EQ(WriteProjectFile(path.c_str(), *store), kWriteOk) << path;
    return path;
}

TEST(Replay, TheSimulatorAnswersEveryRecordedRequestLikeTheRealController) {
    // Kinds of request, or single records, that the simulator still answers otherwise than
    // the real controller.
    std::set<std::string> kinds, unlike, differing, listed;
    for (const TableRow& row : LoadTable(__FILE__, "differences.txt"))
        listed.insert(Narrow(row[0]));
    std::unique_ptr<sim::Simulator> simulator;
    std::string capture;
    sim::SimOptions options = {.password = "toor"};
    for (const S7Exchange& record : LoadRecords()) {
        // A new controller for each recording, in its order, holding the blocks its records
        // show; the S7-400 of the recordings grants 480 bytes, the S7-300s 240;
        // both have a password.
        options.maxPdu = CaptureOf(record).rfind("s7-400", 0) == 0 ? 480 : 240;
        if (CaptureOf(record) != capture) {
            options.programFile = WriteRecordedProgram(CaptureOf(record));
            simulator = StartLoopbackSimulator(options);
        }
        ASSERT_TRUE(simulator);
        capture = CaptureOf(record);
        kinds.insert(KindOf(record));
        const std::string difference =
            DifferenceFromTheRecord(simulator->Port(), options.maxPdu, record);
        if (difference.empty()) continue;
        unlike.insert(KindOf(record));
        const bool recordListed = listed.count(record.name) != 0;
        differing.insert(recordListed ? record.name : KindOf(record));
        if (!recordListed && listed.count(KindOf(record)) == 0)
            ADD_FAILURE() << "|" << KindOf(record) << "| " << record.name << "\n" << difference;
    }
    for (const std::string& kind : listed)
        EXPECT_EQ(differing.count(kind), 1u) << kind << " is now alike";
    std::printf("%zu kinds of request, %zu answered like the real controller in every record\n",
                kinds.size(), kinds.size() - unlike.size());
}

// The variables of a recorded read or write request, with the values a write carries.
std::vector<Variable> VariablesOf(const Bytes& request) {
    std::vector<Variable> variables;
    const uint8_t* data = request.data() + 17 + (request[13] << 8 | request[14]);
    for (size_t i = 0; i < request[18]; ++i) {
        const uint8_t* item = request.data() + 19 + 12 * i;
        const uint32_t address = item[9] << 16 | item[10] << 8 | item[11];
        const bool counted = item[3] == kCounters || item[3] == kTimers;
        Variable& v = variables.emplace_back(item[8], item[3], counted ? address : address >> 3,
                                             item[6] << 8 | item[7], counted ? 0 : address & 7);
        v.descriptor.elementCount = item[4] << 8 | item[5];
        if (request[17] != 0x05) continue;
        const size_t length = data[2] << 8 | data[3],
                     bytes = data[1] == 0x09 ? length : (length + 7) / 8;
        v.SetBytes(Bytes(data + 4, data + 4 + bytes));
        data += 4 + bytes + (bytes & 1);
    }
    return variables;
}

int BlockTypeOf(const std::string& letter) {
    const std::map<std::string, int> types = {{"38", BLOCK_TYPE_OB},  {"41", BLOCK_TYPE_DB},
                                              {"42", BLOCK_TYPE_SDB}, {"43", BLOCK_TYPE_FC},
                                              {"44", BLOCK_TYPE_SFC}, {"45", BLOCK_TYPE_FB},
                                              {"46", BLOCK_TYPE_SFB}};
    return types.at(letter);
}

std::string Outcome(CpuStatus status, const std::string& result = "") {
    if (status == CPULINK_OK) return "ok" + result;
    return status == CPULINK_PROTOCOL_ERROR ? "protocol error" : "refused";
}

// The result of the library call that a row of library.txt names, as the row writes it.
std::string CallResult(CpuConnection* link, const std::vector<std::string>& call,
                       const Bytes& request) {
    if (call[0] == "list") {
        Bytes records(8000);
        uint16_t length = 0, count = 0;
        const CpuStatus status =
            cpuLink_ReadSsl(link, static_cast<uint16_t>(std::stoul(call[1], nullptr, 16)),
                            static_cast<uint16_t>(std::stoul(call[2], nullptr, 16)), &length,
                            &count, records.data(), 8000);
        records.resize(std::min(16, length * count));
        return Outcome(status, " " + std::to_string(length) + "x" + std::to_string(count) + " " +
                                   ToHex(records));
    }
    if (call[0] == "clock") {
        CpuClock clock{};
        const CpuStatus status = cpuLink_GetClock(link, &clock);
        return Outcome(status, " " + ToHex(Bytes(clock.bytes, clock.bytes + 8)));
    }
    if (call[0] == "blocks") {
        uint16_t numbers[1000];
        int count = 0;
        const CpuStatus status =
            cpuLink_GetBlockList(link, BlockTypeOf(call[1]), 0, &count, numbers, 1000);
        std::string listed = " " + std::to_string(count) + ":";
        for (int i = 0; i < std::min(count, 8); ++i) listed += " " + std::to_string(numbers[i]);
        return Outcome(status, listed);
    }
    if (call[0] == "upload") {
        Bytes image(kUploadBuffer);
        const CpuStatus status = cpuLink_UploadBlock(link, BlockTypeOf(call[1]),
                                                     static_cast<uint16_t>(std::stoi(call[2])),
                                                     image.data(), kUploadBuffer);
        return Outcome(status, " " + std::to_string(BlockImageLength(image.data())));
    }
    if (call[0] == "read" || call[0] == "write") {
        std::vector<Variable> variables = VariablesOf(request);
        auto pointers = Pointers(variables);
        const int count = static_cast<int>(pointers.size());
        if (call[0] == "write")
            return Outcome(cpuLink_WriteVariables(link, pointers.data(), count));
        const CpuStatus status = cpuLink_ReadVariables(link, pointers.data(), count);
        std::string values;
        for (const Variable& v : variables) {
            const size_t size = v.descriptor.transportSize == kDword  ? 4
                                : v.descriptor.transportSize <= kByte ? 1
                                                                      : 2;
            values +=
                " " + (v.descriptor.valuePresent ? ToHex(v.Bytes(size * v.descriptor.elementCount))
                                                 : "-");
        }
        std::erase(values, ' ');
        return Outcome(status, " " + values);
    }
    const std::map<std::string, std::function<CpuStatus()>> plain = {
        {"login", [link] { return cpuLink_LogInW(link, L"toor"); }},
        {"stop", [link] { return cpuLink_Stop(link); }},
        {"compress", [link] { return cpuLink_CompressMemory(link, 3000); }},
        {"ramtorom", [link] { return cpuLink_CopyRamToRom(link, 3000); }}};
    return Outcome(plain.at(call[0])());
}

// Every recorded answer a library call can receive, played to that call by a peer that
// answers each request with the recorded frames: the result is the one the answer gives,
// and the call's requests are the recorded ones but for the PDU reference.
using ReplayToLibrary = LinkTest;

TEST_F(ReplayToLibrary, TheLibraryReadsEveryRecordedAnswer) {
    std::map<std::string, S7Exchange> records;
    for (S7Exchange& one : LoadRecords()) records[one.name.substr(one.name.find(" @ ") + 3)] = one;
    for (const TableRow& row : LoadTable(__FILE__, "library.txt")) {
        const S7Exchange& recorded = records[Narrow(row[0]) + " " + Narrow(row[1])];
        std::vector<ScriptedPeer::Step> steps = {{{kConnectionConfirm}}, {{kSetupAnswer}}};
        for (const S7Exchange::Step& step : recorded.steps) steps.push_back({step.answers});
        ScriptedPeer peer(steps, true);
        SetLinkSettings(peer.Port(), 1000);
        ASSERT_EQ(Open(), CPULINK_OK);
        std::vector<std::string> call;
        for (size_t i = 2; i + 1 < row.size(); ++i) call.push_back(Narrow(row[i]));
        EXPECT_EQ(CallResult(&record, call, recorded.steps[0].request), Narrow(row.back()))
            << recorded.name;
        cpuLink_CloseConnection(&record);
        const std::vector<Bytes> sent = peer.Finish();
        for (size_t i = 0; i < recorded.steps.size(); ++i) {
            EXPECT_EQ(i + 2 < sent.size() ? ToHex(WithReference(sent[i + 2], 0)) : "none",
                      ToHex(WithReference(recorded.steps[i].request, 0)))
                << recorded.name << " request " << i;
        }
    }
}

}  // namespace
}  // namespace vexal::testing
