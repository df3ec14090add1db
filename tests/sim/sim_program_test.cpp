// vexal-plcsim as a program: its command line, its ready line, its orderly end and dump.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "block_images.h"
#include "temp_dir.h"
#include "vexal_types.h"

extern char** environ;

namespace vexal::testing {
namespace {

struct Running {
    pid_t pid = -1;
    FILE* output = nullptr;  // the program's standard output
    FILE* errors = nullptr;
};

Running Launch(std::vector<std::string> args) {
    args.insert(args.begin(), VEXAL_PLCSIM_PATH);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    Running running;
    posix_spawn(&running.pid, VEXAL_PLCSIM_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    running.output = fdopen(out[0], "r");
    running.errors = fdopen(err[0], "r");
    return running;
}

int Wait(Running& running) {
    int status = 0;
    waitpid(running.pid, &status, 0);
    fclose(running.output);
    fclose(running.errors);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadAll(FILE* file) {
    std::string text;
    char chunk[256];
    while (size_t n = fread(chunk, 1, sizeof chunk, file)) text.append(chunk, n);
    return text;
}

TEST(SimProgram, BadOptionsPrintTheUsageAndExitWithTwo) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--pdu", "5"}, std::vector<std::string>{"--nonsense"}}) {
        Running running = Launch(args);
        const std::string errors = ReadAll(running.errors);
        EXPECT_NE(errors.find("usage: vexal-plcsim"), std::string::npos) << errors;
        EXPECT_EQ(Wait(running), 2);
    }
}

TEST(SimProgram, AnUnreadableProgramFileEndsWithOne) {
    TempDir dir;
    Running running = Launch({"--listen", "127.0.0.1:0", "--program", dir.File("missing.wld")});
    EXPECT_EQ(Wait(running), 1);
}

TEST(SimProgram, ReportsEachListenerAndDumpsItsStateOnSigterm) {
    TempDir dir;
    std::vector<uint8_t> project;
    Append(project, MakeBlockImage(BLOCK_TYPE_FC, 7, 120));
    Append(project, MakeBlockImage(BLOCK_TYPE_DB, 3, 60, 9));
    WriteBytes(dir.File("p.wld"), project);
    Running running = Launch({"--listen", "127.0.0.1:0", "--listen", "127.0.0.1:0", "--program",
                              dir.File("p.wld"), "--mode", "stop", "--dump", dir.File("d.json")});
    char line[128];
    for (int i = 0; i < 2; ++i) {
        ASSERT_NE(fgets(line, sizeof line, running.output), nullptr);
        EXPECT_EQ(std::string(line).rfind("listening on 127.0.0.1:", 0), 0u) << line;
    }
    kill(running.pid, SIGTERM);
    EXPECT_EQ(Wait(running), 0);
    const auto dump = ReadBytes(dir.File("d.json"));
    const std::string json(dump.begin(), dump.end());
    for (const char* expected :
         {"\"mode\": \"STOP\"", "\"keyswitch\": \"RUN-P\"",
          "\"type\": \"FC\", \"number\": 7, \"length\": 120",
          "\"type\": \"DB\", \"number\": 3, \"length\": 60", "\"flags\": \"0000",
          "\"clockOffsetMs\": 0", "\"event\": \"0x4304\""}) {
        EXPECT_NE(json.find(expected), std::string::npos) << expected << "\n" << json;
    }
}

}  // namespace
}  // namespace vexal::testing
