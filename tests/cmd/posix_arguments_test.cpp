#include "posix_arguments.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run_line.h"
#include "temp_dir.h"
#include "tokeniser.h"

extern char** environ;

namespace vexal::cmd {
namespace {

std::wstring Join(std::vector<const char*> arguments) {
    return JoinArguments(static_cast<int>(arguments.size()), arguments.data());
}

TEST(PosixArgumentsTest, ArgumentsAreJoinedWithSingleSpaces) {
    EXPECT_EQ(Join({}), L"");
    EXPECT_EQ(Join({"/ip", "127.0.0.1", "/upload", "OB1,FC1-20"}),
              L"/ip 127.0.0.1 /upload OB1,FC1-20");
    EXPECT_EQ(Join({"/pass", "two words"}), L"/pass two words");
}

TEST(PosixArgumentsTest, TheArgumentAfterABareFileOptionIsItsWholeValue) {
    EXPECT_EQ(Join({"/fileupload", "/tmp/cpu.wld", "/upload", "OB1"}),
              L"/fileupload \"/tmp/cpu.wld\" /upload OB1");
    EXPECT_EQ(Join({"/FileDownload", "/a b/c.wld"}), L"/FileDownload \"/a b/c.wld\"");
    EXPECT_EQ(Join({"/fileupload", "\"/tmp/q.wld\""}), L"/fileupload \"/tmp/q.wld\"");
    EXPECT_EQ(Join({"/fileupload", "/fileupload", "/stop"}), L"/fileupload \"/fileupload\" /stop");
    // Options with a value of their own, or other keywords, change nothing.
    EXPECT_EQ(Join({"/fileupload/tmp/x", "/stop"}), L"/fileupload/tmp/x /stop");
    EXPECT_EQ(Join({"/pass", "/tmp"}), L"/pass /tmp");
    EXPECT_EQ(Join({"/upload"}), L"/upload");
}

TEST(PosixArgumentsTest, JoinedPathsReachTheOptionUnchanged) {
    ArgumentTable table;
    const std::wstring line = Join({"/ip", "10.0.0.1", "/upload", "OB*", "/fileupload",
                                    "/var/backups/plant 7/cpu.wld", "/stop"});
    ASSERT_EQ(TokeniseCommandLine(line.c_str(), table), 4);
    EXPECT_EQ(std::wstring(table.items[2].value), L"/var/backups/plant 7/cpu.wld");
    EXPECT_EQ(table.items[3].keyword, kKeywordStop);
}

TEST(PosixArgumentsTest, Utf8ArgumentsBecomeWideCharacters) {
    EXPECT_EQ(Join({"/pass", "\xC3\xA9t\xC3\xA9"}), L"/pass \u00E9t\u00E9");
    EXPECT_EQ(Join({"/pass", "\xFF\xC3"}), L"/pass \uFFFD\uFFFD");
}

// The program itself: the code as exit status (modulo 256 on POSIX) and the one line.
TEST(PosixArgumentsTest, TheProgramExitsWithItsCodeAndPrintsOnlyTheErrorLine) {
    const auto program =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "VexalCmdCE";
    if (!std::filesystem::exists(program)) GTEST_SKIP() << "VexalCmdCE is not built";
    vexal::testing::TempDir dir;
    const std::string output = dir.File("out.txt");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const std::string path = program.string();
    char* argv[] = {const_cast<char*>(path.c_str()), const_cast<char*>("/mpi"),
                    const_cast<char*>("127"), nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, path.c_str(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), -111 & 0xFF);
    const auto bytes = vexal::testing::ReadBytes(output);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "error -111\n");
}

}  // namespace
}  // namespace vexal::cmd
