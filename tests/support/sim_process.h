// vexal-plcsim, which lies beside the test program, as a child process: its arguments,
// its output (standard output and error through one pipe) and its exit status.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace vexal::testing {

class SimProcess {
public:
    ~SimProcess() { Stop(); }

    bool Start(std::vector<std::string> args) {
        const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        args.insert(args.begin(), (folder / "vexal-plcsim").string());
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        int out[2];
        if (pipe(out) != 0) return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        // The pipe stays open while the simulator runs, so it never writes to a closed one.
        output_ = fdopen(out[0], "r");
        return pid_ > 0;
    }

    // The next line of output; "" once the output ends.
    std::string Line() {
        char line[256];
        return output_ != nullptr && std::fgets(line, sizeof line, output_) != nullptr ? line : "";
    }

    // The port of the next line "listening on 127.0.0.1:PORT", or 0.
    int ListeningPort() {
        int port = 0;
        return std::sscanf(Line().c_str(), "listening on 127.0.0.1:%d", &port) == 1 ? port : 0;
    }

    // Sends `signal` (0: none), waits for the end and gives the exit code; -1 when the
    // program did not exit by itself.
    int Stop(int signal = SIGTERM) {
        int status = -1;
        if (pid_ > 0) {
            if (signal != 0) kill(pid_, signal);
            waitpid(pid_, &status, 0);
        }
        if (output_ != nullptr) std::fclose(output_);
        output_ = nullptr;
        pid_ = -1;
        return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    std::FILE* output_ = nullptr;
};

}  // namespace vexal::testing
