// Uploading 250 blocks (2.5 MB at PDU 240) from vexal-plcsim running as its own process,
// against the floor: a raw request/answer exchange between two processes with the same
// number of exchanges and the same frame sizes; and, when node and the node-snap7 binding
// are there, against the snap7 client uploading the same blocks from the same simulator.
// Wall and CPU time of the client side, interleaved, on an idle machine and with one core
// kept busy; ratios only.
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
constexpr int kRounds = 7;

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
            sizes.push_back(static_cast<uint16_t>(std::min(left, kChunkRoom) + kChunkAnswerOverhead));
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

void PrintRatio(const char* setting, const char* against, const Samples& ours,
                const Samples& theirs) {
    std::printf("%s: our upload against %s: wall %.2fx, CPU %.2fx\n", setting, against,
                Median(ours.wall) / Median(theirs.wall), Median(ours.cpu) / Median(theirs.cpu));
}

void Compare(const char* setting, uint16_t rawPort, const std::vector<uint16_t>& sizes,
             Snap7Client* snap7) {
    Samples ours, raw, theirs;
    for (int round = 0; round < kRounds; ++round) {
        ours.Add(Measure(UploadAll));
        raw.Add(Measure([&] { RawExchange(rawPort, sizes); }));
        if (snap7 != nullptr) theirs.Add(snap7->Upload());
    }
    PrintRatio(setting, "the raw exchange", ours, raw);
    if (snap7 != nullptr) PrintRatio(setting, "the snap7 client's FullUpload", ours, theirs);
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
        std::printf("snap7 comparison skipped: node or the node-snap7 binding is not installed "
                    "(NODE_PATH=/opt/vexal-peers/node_modules after scripts/install-deps.sh)\n");
    } else if (!snap7Client.Start(simulator.Port())) {
        std::printf("snap7 comparison skipped: node did not start\n");
    } else {
        snap7 = &snap7Client;
    }
    Compare("idle", raw.Port(), sizes, snap7);
    const pid_t spinner = fork();
    if (spinner == 0) {
        for (;;) asm volatile("" ::: "memory");
    }
    Compare("one core busy", raw.Port(), sizes, snap7);
    kill(spinner, SIGKILL);
    waitpid(spinner, nullptr, 0);
    return 0;
}
