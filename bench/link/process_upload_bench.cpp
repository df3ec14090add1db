// Uploading 250 blocks (2.5 MB at PDU 240) from vexal-plcsim running as its own process,
// against the floor: a raw request/answer exchange between two processes with the same
// number of exchanges and the same frame sizes; and, when node and the node-snap7 binding
// are there, against the snap7 client uploading the same blocks from the same simulator.
// Wall and CPU time of the client side; ratios only.
//
// On an idle machine the scheduler puts the two ends of a link on one core or on two and
// keeps them there for the whole run, and the two cost differently; so each idle placement
// is measured pinned, for every client and server alike. With one core busy, a spinning
// process holds the last CPU and the rest may run anywhere. Within a setting, our upload
// and the raw exchange alternate in pairs, in turn order, and the floor ratio is the
// median of the pairs' ratios, so that the machine's drift between pairs cancels.
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
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "cpulink.h"
#include "demo_project.h"
#include "temp_dir.h"

namespace {

constexpr int kBlocks = 250;
constexpr uint32_t kBlockLength = 10000;
constexpr size_t kPdu = 240;
// An upload chunk answer: TPKT and COTP 7, ack-data header 12, parameter 2, data header 4.
constexpr size_t kChunkAnswerOverhead = 25;
constexpr size_t kChunkRoom = kPdu - 18;
constexpr size_t kRequestFrame = 35;
constexpr int kRounds = 5;
constexpr int kPairsPerRound = 8;

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

std::string WriteProgram(const vexal::testing::TempDir& dir) {
    std::vector<uint8_t> bytes;
    const int types[] = {BLOCK_TYPE_OB, BLOCK_TYPE_FB, BLOCK_TYPE_FC, BLOCK_TYPE_DB};
    for (int i = 0; i < kBlocks; ++i) {
        const auto block = vexal::MakeDemoBlock(types[i % 4], static_cast<uint16_t>(i / 4 + 1),
                                                kBlockLength - 92, static_cast<uint32_t>(i));
        bytes.insert(bytes.end(), block.begin(), block.end());
    }
    vexal::testing::WriteBytes(dir.File("program.wld"), bytes);
    return dir.File("program.wld");
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
std::vector<uint16_t> AnswerSizes() {
    std::vector<uint16_t> sizes;
    for (int block = 0; block < kBlocks; ++block) {
        sizes.push_back(45);
        for (size_t left = kBlockLength; left > 0; left -= std::min(left, kChunkRoom))
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
    // One session's cost as the node process measured it; all 250 blocks or abort.
    Cost Upload() {
        std::fputs("go\n", requests_);
        std::fflush(requests_);
        Cost cost;
        int blocks = 0;
        if (std::fscanf(answers_, "%lf %lf %d", &cost.wall, &cost.cpu, &blocks) != 3 ||
            blocks != kBlocks) {
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
    std::vector<double> wall, cpu;
    void Add(const Cost& cost) {
        wall.push_back(cost.wall);
        cpu.push_back(cost.cpu);
    }
};

std::vector<double> PairRatios(const std::vector<double>& ours, const std::vector<double>& theirs) {
    std::vector<double> ratios;
    for (size_t i = 0; i < ours.size(); ++i) ratios.push_back(ours[i] / theirs[i]);
    return ratios;
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
    std::vector<pid_t> clients;
};

void Place(const Placement& placement, const Peers& peers) {
    for (const pid_t server : peers.servers) Pin(server, placement.serverCpu);
    for (const pid_t client : peers.clients) Pin(client, placement.clientCpu);
}

void Compare(const Placement& placement, const Peers& peers, const std::vector<uint16_t>& sizes,
             Snap7Client* snap7) {
    Place(placement, peers);
    Samples ours, raw, theirs;
    for (int round = 0; round < kRounds; ++round) {
        for (int pair = 0; pair < kPairsPerRound; ++pair) {
            const auto raws = [&] { raw.Add(Measure([&] { RawExchange(peers.rawPort, sizes); })); };
            if (pair % 2 == 1) raws();
            ours.Add(Measure(UploadAll));
            if (pair % 2 == 0) raws();
        }
        if (snap7 != nullptr) theirs.Add(snap7->Upload());
    }
    std::printf("%s: our upload against the raw exchange: wall %.2fx, CPU %.2fx\n", placement.name,
                Median(PairRatios(ours.wall, raw.wall)), Median(PairRatios(ours.cpu, raw.cpu)));
    if (snap7 != nullptr) {
        std::printf("%s: our upload against the snap7 client's FullUpload: wall %.2fx, CPU %.2fx\n",
                    placement.name, Median(ours.wall) / Median(theirs.wall),
                    Median(ours.cpu) / Median(theirs.cpu));
    }
}

}  // namespace

int main() {
    vexal::testing::TempDir dir;
    vexal::bench::PlcSimProcess simulator;
    if (!simulator.Start({"--program", WriteProgram(dir), "--pdu", std::to_string(kPdu)})) {
        std::fprintf(stderr, "vexal-plcsim did not start\n");
        return 1;
    }
    setenv("VEXAL_S7_PORT", std::to_string(simulator.Port()).c_str(), 1);
    RawPeer raw;
    const std::vector<uint16_t> sizes = AnswerSizes();
    std::printf("%d blocks of %u bytes, %zu exchanges per session at PDU %zu\n", kBlocks,
                kBlockLength, sizes.size(), kPdu);
    Snap7Client snap7Client;
    Snap7Client* snap7 = nullptr;
    if (!Snap7Installed()) {
        std::printf(
            "snap7 comparison skipped: node or the node-snap7 binding is not installed "
            "(NODE_PATH=/opt/vexal-peers/node_modules after scripts/install-deps.sh)\n");
    } else if (!snap7Client.Start(simulator.Port())) {
        std::printf("snap7 comparison skipped: node did not start\n");
    } else {
        snap7 = &snap7Client;
    }
    Peers peers{raw.Port(), {simulator.Pid(), raw.Pid()}, {getpid()}};
    if (snap7 != nullptr) peers.clients.push_back(snap7Client.Pid());
    const std::vector<int> cpus = UsableCpuIds();
    if (cpus.size() >= 2) {
        Compare({"idle, client and server on two cores", cpus[0], cpus[1]}, peers, sizes, snap7);
    } else {
        std::printf("idle on two cores skipped: this benchmark may use one CPU only\n");
    }
    Compare({"idle, client and server on one core", cpus[0], cpus[0]}, peers, sizes, snap7);
    Place({"", -1, -1}, peers);
    const pid_t spinner = fork();
    if (spinner == 0) {
        for (;;) asm volatile("" ::: "memory");
    }
    Pin(spinner, cpus.back());
    Compare({"one core busy", -1, -1}, peers, sizes, snap7);
    kill(spinner, SIGKILL);
    waitpid(spinner, nullptr, 0);
    return 0;
}
