// Programs run as child processes for benchmarks: wall time, CPU time and peak resident
// memory of one run, and vexal-plcsim started on a free port.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace vexal::bench {

struct RunCost {
    double wallSeconds = 0;
    double cpuSeconds = 0;
    int exitCode = -1;
};

// The folder of this program, where the other programs of the build lie.
inline std::string BuildProgram(const std::string& name) {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
}

inline pid_t Spawn(std::vector<std::string> words, int stdoutFd = -1) {
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

inline RunCost WaitCost(pid_t pid, std::chrono::steady_clock::time_point start) {
    RunCost cost;
    int status = 0;
    rusage usage{};
    if (pid <= 0 || wait4(pid, &status, 0, &usage) != pid) return cost;
    cost.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cost.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                      (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    cost.exitCode = WIFEXITED(status) ? static_cast<int8_t>(WEXITSTATUS(status)) : -1000;
    return cost;
}

// Runs the program to its end; its output goes to /dev/null.
inline RunCost RunProgram(const std::vector<std::string>& words) {
    std::FILE* null = std::fopen("/dev/null", "w");
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = Spawn(words, null != nullptr ? fileno(null) : -1);
    const RunCost cost = WaitCost(pid, start);
    if (null != nullptr) std::fclose(null);
    return cost;
}

// The peak resident memory of one run in MiB, or -1. The kernel's ru_maxrss of a child
// counts the parent's memory at the fork, so the child's own high-water mark is read
// instead, while it is stopped on its way out.
inline double PeakResidentMiB(std::vector<std::string> words) {
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        std::FILE* null = std::fopen("/dev/null", "w");
        if (null != nullptr) dup2(fileno(null), STDOUT_FILENO);
        ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) return -1;
    ptrace(PTRACE_SETOPTIONS, pid, nullptr, reinterpret_cast<void*>(PTRACE_O_TRACEEXIT));
    ptrace(PTRACE_CONT, pid, nullptr, nullptr);
    double peak = -1;
    while (waitpid(pid, &status, 0) == pid && WIFSTOPPED(status)) {
        if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
            std::ifstream proc("/proc/" + std::to_string(pid) + "/status");
            for (std::string line; std::getline(proc, line);) {
                if (line.rfind("VmHWM:", 0) == 0) peak = std::stod(line.substr(6)) / 1024.0;
            }
        }
        const int signal = WSTOPSIG(status) == SIGTRAP ? 0 : WSTOPSIG(status);
        ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(static_cast<intptr_t>(signal)));
    }
    return peak;
}

// vexal-plcsim as its own process on 127.0.0.1 and a free port.
class PlcSimProcess {
public:
    ~PlcSimProcess() { Stop(); }

    bool Start(std::vector<std::string> options) {
        options.insert(options.begin(),
                       {BuildProgram("vexal-plcsim"), "--listen", "127.0.0.1:0"});
        int out[2];
        if (pipe(out) != 0) return false;
        pid_ = Spawn(options, out[1]);
        close(out[1]);
        output_ = fdopen(out[0], "r");
        char line[128] = {};
        return pid_ > 0 && std::fgets(line, sizeof line, output_) != nullptr &&
               std::sscanf(line, "listening on 127.0.0.1:%d", &port_) == 1;
    }
    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
        if (output_ != nullptr) std::fclose(output_);
        output_ = nullptr;
    }
    int Port() const { return port_; }
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    std::FILE* output_ = nullptr;
    int port_ = 0;
};

}  // namespace vexal::bench
