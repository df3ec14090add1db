// Uploading 250 blocks (2.5 MB at PDU 240) from vexal-plcsim running as its own process,
// against the floor: a raw request/answer exchange between two processes with the same
// number of exchanges and the same frame sizes. Wall and CPU time of the client side,
// interleaved, on an idle machine and with one core kept busy; ratios only.
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

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Compare(const char* setting, uint16_t rawPort, const std::vector<uint16_t>& sizes) {
    std::vector<double> oursWall, oursCpu, rawWall, rawCpu;
    for (int round = 0; round < kRounds; ++round) {
        const Cost ours = Measure(UploadAll);
        const Cost raw = Measure([&] { RawExchange(rawPort, sizes); });
        oursWall.push_back(ours.wall);
        oursCpu.push_back(ours.cpu);
        rawWall.push_back(raw.wall);
        rawCpu.push_back(raw.cpu);
    }
    std::printf("%s: our upload against the raw exchange: wall %.2fx, CPU %.2fx\n", setting,
                Median(oursWall) / Median(rawWall), Median(oursCpu) / Median(rawCpu));
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
    Compare("idle", raw.Port(), sizes);
    const pid_t spinner = fork();
    if (spinner == 0) {
        for (;;) asm volatile("" ::: "memory");
    }
    Compare("one core busy", raw.Port(), sizes);
    kill(spinner, SIGKILL);
    waitpid(spinner, nullptr, 0);
    const bool snap7 = std::system("node -e \"require('node-snap7')\" >/dev/null 2>&1") == 0;
    std::printf("snap7 comparison skipped: %s\n",
                snap7 ? "its FullUpload driver is not written yet"
                      : "node or the node-snap7 binding is not installed");
    return 0;
}
