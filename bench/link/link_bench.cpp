// Uploading a few hundred blocks of 200 bytes to 20 KiB from the simulator, against raw
// TCP request/answer exchanges of the same number and sizes on loopback; and the number
// of exchanges a read of 16 variables takes. Prints the figures as ratios.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "block_lengths.h"
#include "cpulink.h"
#include "demo_project.h"
#include "simulator.h"
#include "tcp_socket.h"

namespace {

using vexal::platform::IoResult;

constexpr int kBlockCount = 300;
constexpr uint16_t kPdu = 960;
constexpr uint32_t kLoopback = 0x0100007F;

struct Exchange {
    size_t request;
    size_t answer;
};

// The frames an upload moves on the wire: start, one upload job per chunk, end.
std::vector<Exchange> UploadExchanges(const std::vector<uint32_t>& lengths) {
    const size_t chunkRoom = kPdu - 18;
    std::vector<Exchange> exchanges;
    for (uint32_t length : lengths) {
        exchanges.push_back({7 + 10 + 18, 7 + 12 + 16});
        for (size_t sent = 0; sent < length; sent += chunkRoom) {
            exchanges.push_back({7 + 10 + 8, 7 + 12 + 2 + 4 + std::min(chunkRoom, length - sent)});
        }
        exchanges.push_back({7 + 10 + 8, 7 + 12 + 1});
    }
    return exchanges;
}

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class UploadBench {
public:
    UploadBench() {
        vexal::sim::SimOptions options;
        options.listen = {{"127.0.0.1", 0}};
        options.maxPdu = kPdu;
        options.mode = vexal::sim::OperatingMode::kStop;
        simulator_ = std::make_unique<vexal::sim::Simulator>(options);
        std::string error;
        if (!simulator_->Start(&error)) std::abort();
        LoadBlocks(simulator_->Controller());
        setenv("VEXAL_S7_PORT", std::to_string(simulator_->Port()).c_str(), 1);
        cpuNet_InitConnection(&record_);
        if (cpuNet_OpenConnection(&record_, kLoopback) != CPULINK_OK) std::abort();
    }
    ~UploadBench() { cpuLink_DestroyConnection(&record_); }

    double UploadAll() {
        std::vector<uint8_t> buffer(135168);
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kBlockCount; ++i) {
            if (cpuLink_UploadBlock(&record_, BLOCK_TYPE_FC, static_cast<uint16_t>(i + 1),
                                    buffer.data(), 135168) != CPULINK_OK) {
                std::abort();
            }
        }
        return Seconds(start);
    }

    uint64_t ExchangesOfSixteenVariables() {
        std::vector<uint32_t> values(16);
        std::vector<VariableDescriptor> variables(16);
        std::vector<VariableDescriptor*> pointers;
        for (uint32_t i = 0; i < 16; ++i) {
            variables[i] = VariableDescriptor{3, 0x83, 0x04, 0, 0, 1, 0, i * 2, &values[i]};
            pointers.push_back(&variables[i]);
        }
        const uint64_t before = simulator_->RequestCount();
        cpuLink_ReadVariables(&record_, pointers.data(), 16);
        return simulator_->RequestCount() - before;
    }

    const std::vector<uint32_t>& Lengths() const { return lengths_; }

private:
    void LoadBlocks(vexal::sim::PlcController& controller) {
        std::lock_guard<std::mutex> hold(controller.Lock());
        controller.MemoryReset();
        for (int i = 0; i < kBlockCount; ++i) {
            controller.InsertBlock(vexal::MakeDemoBlock(BLOCK_TYPE_FC, static_cast<uint16_t>(i + 1),
                                                        lengths_[i] - 92, i));
        }
    }

    std::vector<uint32_t> lengths_ = vexal::bench::SpreadBlockLengths(kBlockCount, 20480);
    std::unique_ptr<vexal::sim::Simulator> simulator_;
    CpuConnection record_{};
};

// A peer that reads each request and writes each answer of the list, byte counts only.
double RawExchanges(const std::vector<Exchange>& exchanges) {
    vexal::platform::TcpListener listener;
    std::string error;
    listener.Listen("127.0.0.1", 0, &error);
    std::thread peer([&] {
        vexal::platform::TcpStream stream;
        listener.Accept(&stream, 5000);
        std::vector<uint8_t> buffer(2048);
        for (const Exchange& e : exchanges) {
            stream.ReceiveExact(buffer.data(), e.request, -1);
            stream.SendAll(buffer.data(), e.answer, 5000);
        }
    });
    vexal::platform::TcpStream client;
    client.Connect(kLoopback, listener.LocalPort(), 3000);
    std::vector<uint8_t> buffer(2048);
    const auto start = std::chrono::steady_clock::now();
    for (const Exchange& e : exchanges) {
        client.SendAll(buffer.data(), e.request, 5000);
        client.ReceiveExact(buffer.data(), e.answer, -1);
    }
    const double seconds = Seconds(start);
    peer.join();
    return seconds;
}

UploadBench& Bench() {
    static UploadBench bench;
    return bench;
}

double bestLink = 1e9;
double bestRaw = 1e9;

void UploadFromSimulator(benchmark::State& state) {
    for (auto _ : state) bestLink = std::min(bestLink, Bench().UploadAll());
    state.counters["blocks/s"] = kBlockCount / bestLink;
}

void RawTcpSameExchanges(benchmark::State& state) {
    const auto exchanges = UploadExchanges(Bench().Lengths());
    for (auto _ : state) bestRaw = std::min(bestRaw, RawExchanges(exchanges));
    state.counters["exchanges"] = static_cast<double>(exchanges.size());
}

BENCHMARK(UploadFromSimulator)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(RawTcpSameExchanges)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::printf("upload of %d blocks: %.3f of the raw exchange rate (target >= 0.9)\n", kBlockCount,
                bestRaw / bestLink);
    std::printf("reading 16 variables: %llu exchange(s) (target 1)\n",
                static_cast<unsigned long long>(Bench().ExchangesOfSixteenVariables()));
    benchmark::Shutdown();
    return 0;
}
