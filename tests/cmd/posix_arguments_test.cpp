#include "posix_arguments.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace vexal::cmd {
namespace {

TEST(PosixArgumentsTest, ArgumentsJoinWithSpacesAndABareFileOptionTakesTheNextWhole) {
    const struct {
        std::vector<const char*> arguments;
        std::wstring line;
    } cases[] = {
        {{}, L""},
        {{"/ip", "127.0.0.1", "/upload", "OB1,FC1-20"}, L"/ip 127.0.0.1 /upload OB1,FC1-20"},
        {{"/pass", "two words"}, L"/pass two words"},
        {{"/fileupload", "/tmp/cpu.wld", "/upload", "OB1"},
         L"/fileupload \"/tmp/cpu.wld\" /upload OB1"},
        {{"/FileDownload", "/a b/c.wld"}, L"/FileDownload \"/a b/c.wld\""},
        {{"/fileupload", "\"/tmp/q.wld\""}, L"/fileupload \"/tmp/q.wld\""},
        {{"/fileupload", "/fileupload", "/stop"}, L"/fileupload \"/fileupload\" /stop"},
        // Options with a value of their own, or other keywords, change nothing.
        {{"/fileupload/tmp/x", "/stop"}, L"/fileupload/tmp/x /stop"},
        {{"/pass", "/tmp"}, L"/pass /tmp"},
        // UTF-8 becomes wide characters; broken sequences become U+FFFD.
        {{"/pass", "\xC3\xA9t\xC3\xA9"}, L"/pass \u00E9t\u00E9"},
        {{"/pass", "\xFF\xC3"}, L"/pass \uFFFD\uFFFD"},
    };
    for (const auto& c : cases) {
        const auto joined = JoinArguments(static_cast<int>(c.arguments.size()), c.arguments.data());
        EXPECT_EQ(joined, c.line) << std::string(c.line.begin(), c.line.end());
    }
}

// The program itself: its arguments, its code as exit status (modulo 256) and the one
// line it prints.
TEST(PosixArgumentsTest, TheProgramTakesPosixPathsAndExitsWithItsCode) {
    vexal::testing::TempDir dir;
    std::filesystem::create_directory(dir.File("plant 7"));
    unsetenv("VEXAL_MPI_BUS");
    const auto program =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "VexalCmdCE";
    const auto run = [&](const std::string& arguments, int code) {
        std::FILE* out = popen(("'" + program.string() + "' " + arguments).c_str(), "r");
        ASSERT_NE(out, nullptr);
        char printed[64] = {};
        std::fread(printed, 1, sizeof printed - 1, out);
        const int status = pclose(out);
        ASSERT_TRUE(WIFEXITED(status)) << arguments;
        EXPECT_EQ(WEXITSTATUS(status), code & 0xFF) << arguments;
        EXPECT_EQ(std::string(printed), "error " + std::to_string(code) + "\n") << arguments;
    };
    run("/mpi 127", -111);
    // Without a bus file the run ends at the adapter (-1), after the upload file was made.
    run("/upload OB1 /fileupload '" + dir.File("plant 7/cpu.wld") + "'", -1);
    EXPECT_TRUE(std::filesystem::exists(dir.File("plant 7/cpu.wld")));
}

}  // namespace
}  // namespace vexal::cmd
