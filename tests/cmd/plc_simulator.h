// Starts vexal-plcsim as a child process on a free port and stops it again.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace vexal::cmd::testing {

// The simulator lies beside the test program.
inline std::filesystem::path SimulatorPath() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "vexal-plcsim";
}

inline bool SimulatorAvailable() {
    return std::filesystem::exists(SimulatorPath());
}

class PlcSimulator {
public:
    PlcSimulator() = default;
    PlcSimulator(const PlcSimulator&) = delete;
    PlcSimulator& operator=(const PlcSimulator&) = delete;
    ~PlcSimulator() { Stop(); }

    // Starts with --listen 127.0.0.1:0 and the extra options; true once it listens.
    bool Start(const std::vector<std::string>& options) {
        int out[2];
        if (pipe(out) != 0) return false;
        std::vector<std::string> words = {SimulatorPath().string(), "--listen", "127.0.0.1:0"};
        words.insert(words.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (auto& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (spawned != 0) {
            pid_ = -1;
            close(out[0]);
            return false;
        }
        // The pipe stays open while the simulator runs, so a later line never hits a
        // closed pipe.
        output_ = out[0];
        return ReadPort(output_);
    }

    // Stops with SIGTERM (the simulator writes its dump then); true for a clean exit.
    bool Stop() {
        if (pid_ <= 0) return true;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        close(output_);
        output_ = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    int Port() const { return port_; }

    // Points the communication library at this simulator.
    void UseForTcp() const { setenv("VEXAL_S7_PORT", std::to_string(port_).c_str(), 1); }

private:
    // Reads "listening on 127.0.0.1:PORT"; gives up after ten quiet seconds rather than
    // hanging the test.
    bool ReadPort(int fd) {
        std::string text;
        char chunk[128];
        while (text.find('\n') == std::string::npos) {
            pollfd waiting{fd, POLLIN, 0};
            if (poll(&waiting, 1, 10000) <= 0) return false;
            const ssize_t got = read(fd, chunk, sizeof chunk);
            if (got <= 0) return false;
            text.append(chunk, static_cast<size_t>(got));
        }
        const size_t colon = text.rfind(':', text.find('\n'));
        if (text.rfind("listening on ", 0) != 0 || colon == std::string::npos) return false;
        port_ = std::atoi(text.c_str() + colon + 1);
        return port_ > 0;
    }

    pid_t pid_ = -1;
    int output_ = -1;
    int port_ = 0;
};

}  // namespace vexal::cmd::testing
