// Traffic recorded from real S7-300 and S7-400 controllers, replayed: every client request
// to the simulator, whose answers must have the real controller's structure, and every
// controller answer to the library.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "loopback_simulator.h"
#include "replay_shape.h"
#include "s7_exchanges.h"

namespace vexal::testing {
namespace {

const char* const kRecordFiles[] = {"../replay/cpu315.txt", "../replay/s7-300.txt",
                                    "../replay/s7-400.txt"};

std::string KindOf(const S7Exchange& record) { return record.name.substr(0, record.name.find(" @ ")); }

std::string CaptureOf(const S7Exchange& record) {
    const std::string source = record.name.substr(record.name.find(" @ ") + 3);
    return source.substr(0, source.find(' '));
}

std::vector<S7Exchange> LoadRecords() {
    std::vector<S7Exchange> records;
    for (const char* file : kRecordFiles) {
        for (S7Exchange& record : LoadS7Exchanges(file)) records.push_back(std::move(record));
    }
    return records;
}

TEST(Replay, RecordsAreFramesOfTheRecordings) {
    const char* source = std::getenv("VEXAL_SOURCE_DIR");
    const auto captures = std::filesystem::path(source != nullptr ? source : ".") / "../shared/real-captures";
    if (!std::filesystem::exists(captures)) GTEST_SKIP() << "no recordings at " << captures << ": extraction not checked";
    for (const S7Exchange& record : LoadRecords()) {
        std::ifstream in(captures / CaptureOf(record), std::ios::binary);
        const std::string capture{std::istreambuf_iterator<char>(in), {}};
        for (const S7Exchange::Step& step : record.steps) {
            std::vector<Bytes> frames = step.answers;
            frames.push_back(step.request);
            for (const Bytes& frame : frames) {
                EXPECT_NE(capture.find(std::string(frame.begin(), frame.end())), std::string::npos) << record.name;
            }
        }
    }
}

// Plays one record to the simulator on a new connection; the shapes of the answers.
std::vector<std::string> PlayToSimulator(uint16_t port, const S7Exchange& record) {
    RawIsoClient client;
    const bool setsUp = record.steps.front().request.size() > 17 && record.steps.front().request[17] == 0xF0;
    if (!(setsUp ? client.Connect(port) && !client.Exchange(FindS7Exchange("connect").steps[0].request).empty()
                 : client.Open(port, 240))) {
        return {"no connection"};
    }
    // The recordings' tools had logged in with the CPU's password, "toor" scrambled.
    if (KindOf(record) != "userdata 5/01") client.Exchange(Frame(UserdataRequest(5, 1, Hex("21 3A 1B 1D 6E 68 1B 1D"))));
    std::vector<std::string> shapes;
    Bytes last;
    for (const S7Exchange::Step& step : record.steps) {
        Bytes request = step.request;
        if (request[8] == 0x03 && !last.empty()) request = WithReference(request, ReferenceOf(last));
        const bool followUp = request[8] == 0x07 && request[20] == 0x08 && request[24] != 0;
        if (followUp && last.size() > 24) request[24] = last[24];
        client.Send(request);
        for (size_t i = 0; i < step.answers.size(); ++i) {
            last = client.Receive();
            shapes.push_back(Shape(last, shapes.empty()));
        }
    }
    return shapes;
}

// Kinds of request the simulator answers otherwise than the real controller, one a line.
std::set<std::string> ListedDifferences() {
    std::set<std::string> kinds;
    std::ifstream in = OpenBeside(__FILE__, "differences.txt");
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#') kinds.insert(line);
    }
    return kinds;
}

TEST(Replay, TheSimulatorAnswersEveryRecordedRequestLikeTheRealController) {
    sim::SimOptions options;
    options.password = "toor";
    auto simulator = StartLoopbackSimulator(options);
    ASSERT_TRUE(simulator);
    std::set<std::string> kinds, differing;
    for (const S7Exchange& record : LoadRecords()) {
        std::vector<std::string> expected;
        for (const S7Exchange::Step& step : record.steps) {
            for (const Bytes& answer : step.answers) expected.push_back(Shape(answer, expected.empty()));
        }
        const std::vector<std::string> shapes = PlayToSimulator(simulator->Port(), record);
        kinds.insert(KindOf(record));
        if (shapes == expected) continue;
        differing.insert(KindOf(record));
        if (ListedDifferences().count(KindOf(record)) != 0) continue;
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(i < shapes.size() ? shapes[i] : "none", expected[i]) << record.name;
        }
    }
    EXPECT_EQ(differing, ListedDifferences());
    if (differing != ListedDifferences()) {
        for (const std::string& kind : differing) std::printf("differs: %s\n", kind.c_str());
    }
    std::printf("%zu kinds of request, %zu answered like the real controller\n", kinds.size(),
                kinds.size() - differing.size());
}

}  // namespace
}  // namespace vexal::testing
