// vexal-test-responder IFACE --ip A.B.C.D --mask A.B.C.D [--seconds N]: answers discovery
// on one interface as a controller does, prints "ready" once it listens, and ends on
// SIGTERM or SIGINT, at the latest after N seconds (default 30).
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "responder.h"

int main(int argc, char** argv) {
    const char* ip = nullptr;
    const char* mask = nullptr;
    long seconds = 30;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--ip") == 0) ip = argv[i + 1];
        if (std::strcmp(argv[i], "--mask") == 0) mask = argv[i + 1];
        if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atol(argv[i + 1]);
    }
    if (argc < 2 || argc % 2 != 0 || ip == nullptr || mask == nullptr) {
        std::fprintf(stderr, "usage: %s IFACE --ip A.B.C.D --mask A.B.C.D [--seconds N]\n",
                     argv[0]);
        return 2;
    }
    sigset_t ending;
    sigemptyset(&ending);
    sigaddset(&ending, SIGTERM);
    sigaddset(&ending, SIGINT);
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);  // before the answering thread starts
    vexal::discovery::DiscoveryResponder responder;
    if (!responder.Start(argv[1], ip, mask)) {
        std::fprintf(stderr, "cannot answer discovery on %s\n", argv[1]);
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    const timespec limit = {seconds, 0};
    sigtimedwait(&ending, nullptr, &limit);
    responder.Stop();
    return 0;
}
