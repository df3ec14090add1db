#include "posix_arguments.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "table_file.h"
#include "temp_dir.h"

namespace vexal::cmd {
namespace {

TEST(PosixArgumentsTest, ArgumentsJoinWithSpacesAndABareFileOptionTakesTheNextWhole) {
    for (const auto& row : testing::LoadTable(__FILE__, "joined_arguments.txt")) {
        std::vector<std::string> words;
        for (size_t i = 1; i < row.size(); ++i) words.push_back(testing::Narrow(row[i]));
        std::vector<const char*> arguments;
        for (const std::string& word : words) arguments.push_back(word.c_str());
        EXPECT_EQ(JoinArguments(static_cast<int>(arguments.size()), arguments.data()), row.at(0))
            << testing::Narrow(row[0]);
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
