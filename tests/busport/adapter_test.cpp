#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "busport.h"
#include "busport_endpoint.h"
#include "temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

// A listening socket on 127.0.0.1 with a free port.
class Listener {
public:
    explicit Listener(int backlog = 8) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(fd_, backlog);
        socklen_t length = sizeof address;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~Listener() { close(fd_); }
    uint16_t Port() const { return port_; }

private:
    int fd_ = -1;
    uint16_t port_ = 0;
};

// A port that nothing listens on: bound once, then released.
uint16_t ClosedPort() {
    Listener listener;
    return listener.Port();
}

class AdapterTest : public ::testing::Test {
protected:
    int OpenWith(const std::string& text) {
        vexal::testing::WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
        setenv("VEXAL_MPI_BUS", path.c_str(), 1);
        return Busport_Open();
    }
    void TearDown() override { unsetenv("VEXAL_MPI_BUS"); }

    vexal::testing::TempDir dir;
    std::string path = dir.File("bus");
};

// A handle opens on a readable bus file and gives the bus parameters only while online,
// which a file that does not parse never is; closing and going offline take any handle.
TEST_F(AdapterTest, OpensOnAReadableBusFileAndReportsItsParametersOnlyWhileOnline) {
    unsetenv("VEXAL_MPI_BUS");
    EXPECT_EQ(Busport_Open(), BUSPORT_INVALID_HANDLE);
    for (const std::string& bus : {dir.File("absent"), std::string()}) {
        setenv("VEXAL_MPI_BUS", bus.c_str(), 1);
        EXPECT_EQ(Busport_Open(), BUSPORT_INVALID_HANDLE) << bus;
    }
    BusParameters parameters{};
    const int garbage = OpenWith("garbage\n");
    EXPECT_NE(garbage, BUSPORT_INVALID_HANDLE);
    EXPECT_EQ(Busport_GoOnlineDefault(garbage), 0);
    EXPECT_EQ(Busport_GetCurNetPrm(garbage, &parameters), 0);
    Busport_Close(garbage);
    const int handle = OpenWith("own 5\nhighest 63\n");
    ASSERT_NE(handle, BUSPORT_INVALID_HANDLE);
    EXPECT_EQ(Busport_GetCurNetPrm(handle, &parameters), 0);
    ASSERT_NE(Busport_GoOnlineDefault(handle), 0);
    ASSERT_NE(Busport_GetCurNetPrm(handle, &parameters), 0);
    EXPECT_EQ(parameters.bytes[BUSPORT_HIGHEST_ADDRESS_BYTE], 63);
    EXPECT_EQ(parameters.bytes[BUSPORT_OWN_ADDRESS_BYTE], 5);
    Busport_GoOffline(handle);
    EXPECT_EQ(Busport_GetCurNetPrm(handle, &parameters), 0);
    Busport_Close(handle);
    Busport_Close(handle);
    EXPECT_EQ(Busport_GoOnlineDefault(handle), 0) << "a closed handle is gone";
    for (int other : {-1, 0, 15, 16, 1000}) {
        Busport_GoOffline(other);
        Busport_Close(other);
        EXPECT_EQ(Busport_CheckRemoteOnline(other, 2), 0);
    }
}

TEST_F(AdapterTest, AStationAnswersWhenItsEndpointAccepts) {
    Listener station;
    const std::string text =
        "own 0\nhighest 31\nstation 2 127.0.0.1:" + std::to_string(station.Port()) +
        "\nstation 3 127.0.0.1:" + std::to_string(ClosedPort()) + "\n";
    const int handle = OpenWith(text);
    EXPECT_EQ(Busport_CheckRemoteOnline(handle, 2), 0) << "not online yet";
    ASSERT_NE(Busport_GoOnlineDefault(handle), 0);
    EXPECT_NE(Busport_CheckRemoteOnline(handle, 2), 0);
    EXPECT_EQ(Busport_CheckRemoteOnline(handle, 3), 0) << "nothing listens there";
    EXPECT_EQ(Busport_CheckRemoteOnline(handle, 4), 0) << "not on the bus";
    EXPECT_EQ(Busport_CheckRemoteOnline(handle, 200), 0);
    Busport_Close(handle);
}

// Station 7 has the silent endpoint of its own; every other station is behind it as a
// gateway, which the whole scan learns from the first round of probes.
TEST_F(AdapterTest, ProbingAStationThatNeverAnswersIsBounded) {
    // A listener whose queue is full drops further connection requests unanswered.
    Listener busy(0);
    std::vector<int> queued;
    for (int i = 0; i < 4; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(busy.Port());
        connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        queued.push_back(fd);
    }
    const std::string endpoint = "127.0.0.1:" + std::to_string(busy.Port());
    const int handle = OpenWith("own 0\nhighest 126\nprobes 4 100\nstation 7 " + endpoint +
                                "\ngateway " + endpoint + "\n");
    ASSERT_NE(Busport_GoOnlineDefault(handle), 0);
    const auto start = Clock::now();
    for (int address = 0; address < BUSPORT_MAX_STATION; ++address) {
        EXPECT_EQ(Busport_CheckRemoteOnline(handle, static_cast<uint8_t>(address)), 0);
    }
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
    for (int fd : queued) close(fd);
    Busport_Close(handle);
}

}  // namespace
