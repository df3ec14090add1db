// TCP streams on the loopback interface, files replaced whole or not at all, the lock
// between processes and the termination signals.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "file_lock.h"
#include "file_size_limit.h"
#include "replacing_file.h"
#include "tcp_socket.h"
#include "temp_dir.h"
#include "termination_signals.h"

namespace vexal::platform {
namespace {

using testing::ReadBytes;
using testing::TempDir;

constexpr uint32_t kLoopback = 0x0100007F;
// Generous: a bounded wait must end, however busy the machine.
constexpr int64_t kBoundMs = 5000;

struct ConnectedPair {
    ConnectedPair() {
        std::string error;
        EXPECT_TRUE(listener.Listen("127.0.0.1", 0, &error)) << error;
        EXPECT_EQ(client.Connect(kLoopback, listener.LocalPort(), 3000), IoResult::kOk);
        EXPECT_EQ(listener.Accept(&server, 3000), IoResult::kOk);
    }
    TcpListener listener;
    TcpStream client, server;
};

TEST(TcpSocket, WaitsEndAtTheirTimeOutAndAShutdownWakesABlockedReader) {
    ConnectedPair pair;
    uint8_t byte = 0;
    size_t received = 0;
    int64_t start = MonotonicMs();
    EXPECT_EQ(pair.client.ReceiveReady(&byte, 1, &received), IoResult::kTimeout);
    EXPECT_EQ(pair.client.ReceiveSome(&byte, 1, &received, 50), IoResult::kTimeout);
    EXPECT_EQ(pair.client.ReceiveExact(&byte, 1, MonotonicMs() + 50), IoResult::kTimeout);
    TcpStream none;
    EXPECT_EQ(pair.listener.Accept(&none, 50), IoResult::kTimeout);
    EXPECT_LT(MonotonicMs() - start, kBoundMs);
    std::thread waker([&pair] {
        SleepMs(20);
        pair.client.Shutdown();
    });
    EXPECT_EQ(pair.client.ReceiveSome(&byte, 1, &received, -1), IoResult::kClosed);
    waker.join();
}

TEST(TcpSocket, BytesArriveWholeAClosedPeerReadsAsClosedAndNoListenerFailsTheConnect) {
    ConnectedPair pair;
    const std::string sent(100000, 'x');
    std::thread sender([&pair, &sent] { pair.server.SendAll(sent.data(), sent.size(), 3000); });
    std::string got(sent.size(), '\0');
    EXPECT_EQ(pair.client.ReceiveExact(got.data(), got.size(), MonotonicMs() + kBoundMs),
              IoResult::kOk);
    sender.join();
    EXPECT_EQ(got, sent);
    pair.server.Close();
    EXPECT_EQ(pair.client.ReceiveExact(got.data(), 1, MonotonicMs() + kBoundMs), IoResult::kClosed);
    size_t received = 0;
    EXPECT_EQ(pair.client.ReceiveReady(got.data(), 1, &received), IoResult::kClosed);
    const uint16_t port = pair.listener.LocalPort();
    pair.listener.Close();
    TcpStream refused;
    EXPECT_EQ(refused.Connect(kLoopback, port, 3000), IoResult::kFailed);
}

TEST(ReplacingFile, ReplacesTheTargetOnlyOnCommitKeepingItsModeAndAFailedWriteLeavesIt) {
    TempDir dir;
    const std::string target = dir.File("project.wld");
    testing::WriteBytes(target, {1, 2, 3});
    const std::vector<uint8_t> big(200000, 7);
    {
        ReplacingFile file;
        ASSERT_TRUE(file.Open(target.c_str()));
        ASSERT_TRUE(file.Write(big.data(), big.size()));
    }
    EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{1, 2, 3})) << "no commit";
    {
        const testing::FileSizeLimit limit(100000);
        ReplacingFile file;
        ASSERT_TRUE(file.Open(target.c_str()));
        EXPECT_FALSE(file.Write(big.data(), big.size()) && file.Commit());
    }
    EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{1, 2, 3})) << "a write beyond the limit";
    using std::filesystem::perms;
    const perms mode = perms::owner_read | perms::owner_write | perms::group_read;
    std::filesystem::permissions(target, mode);
    ReplacingFile file;
    ASSERT_TRUE(file.Open(target.c_str()));
    ASSERT_TRUE(file.Write(big.data(), big.size()) && file.Commit());
    EXPECT_EQ(ReadBytes(target), big);
    EXPECT_EQ(std::filesystem::status(target).permissions() & perms::all, mode);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1)
        << "no temporary file stays behind";
}

TEST(ReplacingFile, RefusesATargetThatIsNoWritableFile) {
    TempDir dir;
    testing::WriteBytes(dir.File("read-only"), {1});
    std::filesystem::permissions(dir.File("read-only"), std::filesystem::perms::owner_read);
    ReplacingFile file;
    EXPECT_FALSE(file.Open(dir.Path().c_str())) << "a folder";
    EXPECT_FALSE(file.Open(dir.File("missing/file").c_str()));
    EXPECT_TRUE(geteuid() == 0 || !file.Open(dir.File("read-only").c_str())) << "root may write it";
}

TEST(FileLock, ASecondHolderWaitsUntilTheFirstLetsGo) {
    TempDir dir;
    auto first = std::make_unique<FileLock>();
    ASSERT_TRUE(first->Acquire(dir.File("lock")));
    std::atomic<bool> acquired{false};
    std::thread second([&] {
        FileLock lock;
        acquired = lock.Acquire(dir.File("lock"));
    });
    SleepMs(100);
    EXPECT_FALSE(acquired) << "the lock was held twice";
    first.reset();
    second.join();
    EXPECT_TRUE(acquired);
}

TEST(TerminationSignals, AWatchNoticesSigtermOnceAndEndsQuietlyWithoutOne) {
    BlockTerminationSignals();
    std::atomic<int> calls{0};
    {
        const TerminationWatch quiet([&calls] { ++calls; });
    }
    EXPECT_EQ(calls, 0);
    const TerminationWatch watch([&calls] { ++calls; });
    kill(getpid(), SIGTERM);
    for (int64_t start = MonotonicMs(); calls == 0 && MonotonicMs() - start < kBoundMs;) SleepMs(5);
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace vexal::platform
