// Uploading 250 blocks of 200 to 20,000 bytes at PDU 240 from vexal-plcsim running as its
// own process, printed as ratios, in this order:
//
// - the plain race a user would run: VexalCmdCE /upload started as a process against the
//   snap7 client's FullUpload in a node process (its start-up excluded), on the same
//   simulator, alternating, nothing pinned; wall and CPU time of both clients and the
//   simulator's CPU time while serving each, medians of the pairs;
// - the same with 2 ms added to every answer, where both clients wait on the round trip;
// - our upload in this process against the floor, a raw request/answer exchange between
//   two processes with the same number of exchanges and the same frame sizes, alternating
//   in pairs; the ratio printed is the median of the pairs' ratios. First with nothing
//   pinned, then as extra lines with clients and servers pinned to two cores or to one,
//   and with one core held by a spinning process.
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "block_lengths.h"
#include "child_process.h"
#include "cpulink.h"
#include "demo_project.h"
#include "temp_dir.h"

namespace {

constexpr int kBlocks = 250;
constexpr int kDelayedBlocks = 24;
constexpr uint32_t kLargestBlock = 20000;
constexpr size_t kPdu = 240;
// An upload chunk answer: TPKT and COTP 7, ack-data header 12, parameter 2, data header 4.
constexpr size_t kChunkAnswerOverhead = 25;
constexpr size_t kChunkRoom = kPdu - 18;
constexpr size_t kRequestFrame = 35;
constexpr int kFloorPairs = 24;
constexpr int kRacePairs = 9;
constexpr int kDelayedPairs = 3;

struct Cost {
    double wall = 0, cpu = 0;
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

template <typename Work>
Cost Measure(Work work) {
    const double cpu = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            CpuSeconds() - cpu};
}

// A block image is its code and 92 bytes of header and trailer.
std::string WriteProgram(const vexal::testing::TempDir& dir, const std::string& name,
                         const std::vector<uint32_t>& lengths) {
    std::vector<uint8_t> bytes;
    const int types[] = {BLOCK_TYPE_OB, BLOCK_TYPE_FB, BLOCK_TYPE_FC, BLOCK_TYPE_DB};
    for (size_t i = 0; i < lengths.size(); ++i) {
        const auto block = vexal::MakeDemoBlock(types[i % 4], static_cast<uint16_t>(i / 4 + 1),
                                                lengths[i] - 92, static_cast<uint32_t>(i));
        bytes.insert(bytes.end(), block.begin(), block.end());
    }
    vexal::testing::WriteBytes(dir.File(name), bytes);
    return dir.File(name);
}

void UploadAll() {
    static CpuConnection record;
    static uint16_t numbers[16384];
    static uint8_t buffer[CPULINK_MAX_BLOCK_IMAGE];
    cpuNet_InitConnection(&record);
    if (cpuNet_OpenConnection(&record, StationKey_FromOctets(127, 0, 0, 1)) != CPULINK_OK)
        std::abort();
    int uploaded = 0;
    for (int type = BLOCK_TYPE_OB; type <= BLOCK_TYPE_DB; ++type) {
        int count = 0;
        if (cpuLink_GetBlockList(&record, type, 0, &count, numbers, 16384) != CPULINK_OK)
            std::abort();
        for (int i = 0; i < count; ++i, ++uploaded) {
            if (cpuLink_UploadBlock(&record, type, numbers[i], buffer, sizeof buffer) != 0)
                std::abort();
        }
    }
    if (uploaded != kBlocks) std::abort();
    cpuLink_DestroyConnection(&record);
}

// The answer sizes of one upload session: per block a start, its chunks and an end.
std::vector<uint16_t> AnswerSizes(const std::vector<uint32_t>& lengths) {
    std::vector<uint16_t> sizes;
    for (const uint32_t length : lengths) {
        sizes.push_back(45);
        for (size_t left = length; left > 0; left -= std::min(left, kChunkRoom))
            sizes.push_back(
                static_cast<uint16_t>(std::min(left, kChunkRoom) + kChunkAnswerOverhead));
        sizes.push_back(27);
    }
    return sizes;
}

bool ReadExactly(int fd, uint8_t* bytes, size_t size) {
    while (size > 0) {
        const ssize_t got = read(fd, bytes, size);
        if (got <= 0) return false;
        bytes += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

void NoDelay(int fd) {
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// A child process that answers each request frame with as many bytes as it asks for.
class RawPeer {
public:
    RawPeer() {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 4);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        pid_ = fork();
        if (pid_ == 0) Serve();
    }
    ~RawPeer() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        close(listener_);
    }
    uint16_t Port() const { return port_; }
    pid_t Pid() const { return pid_; }

private:
    [[noreturn]] void Serve() {
        std::vector<uint8_t> frame(65536);
        for (;;) {
            const int fd = accept(listener_, nullptr, nullptr);
            if (fd < 0) _exit(0);
            NoDelay(fd);
            uint8_t request[kRequestFrame];
            while (ReadExactly(fd, request, sizeof request)) {
                const size_t size = static_cast<size_t>(request[4] << 8 | request[5]);
                if (write(fd, frame.data(), size) != static_cast<ssize_t>(size)) break;
            }
            close(fd);
        }
    }

    int listener_ = -1;
    uint16_t port_ = 0;
    pid_t pid_ = -1;
};

void RawExchange(uint16_t port, const std::vector<uint16_t>& sizes) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) std::abort();
    NoDelay(fd);
    uint8_t request[kRequestFrame] = {3, 0, 0, kRequestFrame};
    std::vector<uint8_t> answer(65536);
    for (const uint16_t size : sizes) {
        request[4] = static_cast<uint8_t>(size >> 8);
        request[5] = static_cast<uint8_t>(size);
        if (write(fd, request, sizeof request) != static_cast<ssize_t>(sizeof request) ||
            !ReadExactly(fd, answer.data(), size)) {
            std::abort();
        }
    }
    close(fd);
}

// The snap7 client in a node process of its own, one upload session per request.
class Snap7Client {
public:
    bool Start(int simulatorPort) {
        int toNode[2], fromNode[2];
        if (pipe(toNode) != 0 || pipe(fromNode) != 0) return false;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(toNode[0], STDIN_FILENO);
            dup2(fromNode[1], STDOUT_FILENO);
            close(toNode[1]);
            close(fromNode[0]);
            execlp("node", "node", VEXAL_SNAP7_DRIVER, std::to_string(simulatorPort).c_str(),
                   std::to_string(kPdu).c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(toNode[0]);
        close(fromNode[1]);
        requests_ = fdopen(toNode[1], "w");
        answers_ = fdopen(fromNode[0], "r");
        return pid_ > 0 && requests_ != nullptr && answers_ != nullptr;
    }
    ~Snap7Client() {
        if (requests_ != nullptr) std::fclose(requests_);
        if (answers_ != nullptr) std::fclose(answers_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }
    // One session's cost as the node process measured it; all blocks or abort.
    Cost Upload(int expectedBlocks) {
        std::fputs("go\n", requests_);
        std::fflush(requests_);
        Cost cost;
        int blocks = 0;
        if (std::fscanf(answers_, "%lf %lf %d", &cost.wall, &cost.cpu, &blocks) != 3 ||
            blocks != expectedBlocks) {
            std::fprintf(stderr, "the snap7 session failed\n");
            std::abort();
        }
        return cost;
    }

    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    std::FILE* requests_ = nullptr;
    std::FILE* answers_ = nullptr;
};

bool Snap7Installed() {
    return std::system("node -e \"require('node-snap7')\" >/dev/null 2>&1") == 0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Samples {
    std::vector<double> wall, cpu, server;
    void Add(const Cost& cost, double serverCpu = 0) {
        wall.push_back(cost.wall);
        cpu.push_back(cost.cpu);
        server.push_back(serverCpu);
    }
};

std::vector<double> PairRatios(const std::vector<double>& ours, const std::vector<double>& theirs) {
    std::vector<double> ratios;
    for (size_t i = 0; i < ours.size(); ++i) ratios.push_back(ours[i] / theirs[i]);
    return ratios;
}

// The CPU time of a whole process so far, its ended threads included.
double ProcessCpuSeconds(pid_t pid) {
    clockid_t clock{};
    timespec used{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &used) != 0) return 0;
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) * 1e-9;
}

// One simulator and the snap7 client on it, with everything a session needs to run.
struct RaceTrack {
    vexal::bench::PlcSimProcess* simulator;
    Snap7Client* snap7;
    int blocks;
    std::string uploadFile;
};

Cost RunOurProgram(const RaceTrack& track) {
    setenv("VEXAL_S7_PORT", std::to_string(track.simulator->Port()).c_str(), 1);
    const vexal::bench::RunCost cost =
        vexal::bench::RunProgram({vexal::bench::BuildProgram("VexalCmdCE"), "/ip", "127.0.0.1",
                                  "/upload", "OB*,FB*,FC*,DB*", "/fileupload", track.uploadFile});
    if (cost.exitCode != 0) {
        std::fprintf(stderr, "VexalCmdCE /upload gave %d\n", cost.exitCode);
        std::abort();
    }
    return {cost.wallSeconds, cost.cpuSeconds};
}

template <typename Session>
void AddWithServerCpu(Samples* samples, const RaceTrack& track, Session session) {
    const double before = ProcessCpuSeconds(track.simulator->Pid());
    const Cost cost = session();
    samples->Add(cost, ProcessCpuSeconds(track.simulator->Pid()) - before);
}

// Our program against the snap7 client as a user races them: alternating, which one goes
// first turning each pair, nothing pinned.
void Race(const char* name, const RaceTrack& track, int pairs) {
    Samples ours, theirs;
    const auto runOurs = [&] {
        AddWithServerCpu(&ours, track, [&] { return RunOurProgram(track); });
    };
    const auto runTheirs = [&] {
        AddWithServerCpu(&theirs, track, [&] { return track.snap7->Upload(track.blocks); });
    };
    runOurs();  // both warm, neither counted
    track.snap7->Upload(track.blocks);
    ours = theirs = {};
    for (int pair = 0; pair < pairs; ++pair) {
        if (pair % 2 == 1) runTheirs();
        runOurs();
        if (pair % 2 == 0) runTheirs();
    }
    std::printf(
        "%s: VexalCmdCE /upload against the snap7 client's FullUpload (%d pairs, "
        "medians): wall %.2fx, CPU %.2fx; the simulator's CPU serving us against "
        "serving it %.2fx\n",
        name, pairs, Median(ours.wall) / Median(theirs.wall), Median(ours.cpu) / Median(theirs.cpu),
        Median(ours.server) / Median(theirs.server));
}

// Where the processes run: a CPU for the clients and one for the servers, or -1 for
// any CPU this benchmark may use.
struct Placement {
    const char* name;
    int clientCpu;
    int serverCpu;
};

cpu_set_t UsableCpus() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) CPU_SET(0, &set);
    return set;
}

std::vector<int> UsableCpuIds() {
    const cpu_set_t usable = UsableCpus();
    std::vector<int> ids;
    for (int i = 0; i < CPU_SETSIZE; ++i) {
        if (CPU_ISSET(i, &usable)) ids.push_back(i);
    }
    return ids;
}

// Every thread of a process, and so the ones it starts later, on that CPU.
void Pin(pid_t pid, int cpu) {
    static const cpu_set_t usable = UsableCpus();
    cpu_set_t set = usable;
    if (cpu >= 0) {
        CPU_ZERO(&set);
        CPU_SET(cpu, &set);
    }
    std::error_code error;
    for (const auto& task :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        sched_setaffinity(std::stoi(task.path().filename().string()), sizeof set, &set);
    }
}

struct Peers {
    uint16_t rawPort;
    std::vector<pid_t> servers;
};

void Place(const Placement& placement, const Peers& peers) {
    for (const pid_t server : peers.servers) Pin(server, placement.serverCpu);
    Pin(getpid(), placement.clientCpu);
}

void CompareWithFloor(const Placement& placement, const Peers& peers,
                      const std::vector<uint16_t>& sizes) {
    Place(placement, peers);
    Samples ours, raw;
    for (int pair = 0; pair < kFloorPairs; ++pair) {
        const auto raws = [&] { raw.Add(Measure([&] { RawExchange(peers.rawPort, sizes); })); };
        if (pair % 2 == 1) raws();
        ours.Add(Measure(UploadAll));
        if (pair % 2 == 0) raws();
    }
    std::printf("%s: our upload against the raw exchange: wall %.2fx, CPU %.2fx\n", placement.name,
                Median(PairRatios(ours.wall, raw.wall)), Median(PairRatios(ours.cpu, raw.cpu)));
}

void CompareWithFloorEverywhere(const Peers& peers, const std::vector<uint16_t>& sizes) {
    CompareWithFloor({"plain", -1, -1}, peers, sizes);
    const std::vector<int> cpus = UsableCpuIds();
    if (cpus.size() >= 2) {
        CompareWithFloor({"pinned, client and server on two cores", cpus[0], cpus[1]}, peers,
                         sizes);
    }
    CompareWithFloor({"pinned, client and server on one core", cpus[0], cpus[0]}, peers, sizes);
    Place({"", -1, -1}, peers);
    const pid_t spinner = fork();
    if (spinner == 0) {
        for (;;) asm volatile("" ::: "memory");
    }
    Pin(spinner, cpus.back());
    CompareWithFloor({"one core busy", -1, -1}, peers, sizes);
    kill(spinner, SIGKILL);
    waitpid(spinner, nullptr, 0);
}

bool StartSimulator(vexal::bench::PlcSimProcess* simulator, const std::string& program,
                    const char* delayMs) {
    if (simulator->Start(
            {"--program", program, "--pdu", std::to_string(kPdu), "--delay-ms", delayMs})) {
        return true;
    }
    std::fprintf(stderr, "vexal-plcsim did not start\n");
    return false;
}

// The snap7 client on that simulator, or nullptr with the reason printed.
Snap7Client* StartSnap7(Snap7Client* client, const vexal::bench::PlcSimProcess& simulator) {
    if (!Snap7Installed()) {
        std::printf(
            "snap7 race skipped: node or the node-snap7 binding is not installed "
            "(NODE_PATH=/opt/vexal-peers/node_modules after scripts/install-deps.sh)\n");
        return nullptr;
    }
    if (!client->Start(simulator.Port())) {
        std::printf("snap7 race skipped: node did not start\n");
        return nullptr;
    }
    return client;
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    vexal::testing::TempDir dir;
    const std::vector<uint32_t> lengths = vexal::bench::SpreadBlockLengths(kBlocks, kLargestBlock);
    vexal::bench::PlcSimProcess simulator, delayed;
    if (!StartSimulator(&simulator, WriteProgram(dir, "program.wld", lengths), "0") ||
        !StartSimulator(
            &delayed,
            WriteProgram(dir, "few.wld",
                         vexal::bench::SpreadBlockLengths(kDelayedBlocks, kLargestBlock)),
            "2")) {
        return 1;
    }
    const std::vector<uint16_t> sizes = AnswerSizes(lengths);
    std::printf("%d blocks of 200 to 20,000 bytes, %zu exchanges per session at PDU %zu\n", kBlocks,
                sizes.size(), kPdu);
    Snap7Client snap7Client, delayedSnap7Client;
    Snap7Client* snap7 = StartSnap7(&snap7Client, simulator);
    if (snap7 != nullptr) {
        Race("plain race", {&simulator, snap7, kBlocks, dir.File("upload.wld")}, kRacePairs);
        if (delayedSnap7Client.Start(delayed.Port())) {
            Race("2 ms added to every answer",
                 {&delayed, &delayedSnap7Client, kDelayedBlocks, dir.File("upload.wld")},
                 kDelayedPairs);
        }
    }
    setenv("VEXAL_S7_PORT", std::to_string(simulator.Port()).c_str(), 1);
    RawPeer raw;
    CompareWithFloorEverywhere({raw.Port(), {simulator.Pid(), raw.Pid()}}, sizes);
    return 0;
}
