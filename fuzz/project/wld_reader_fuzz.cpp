// Any bytes as a project file: the reader never crashes, and whatever it loads writes
// back and loads again to the same blocks.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "block_store.h"
#include "project_file.h"

namespace {

std::string TempPath(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr ? dir : "/tmp") + "/vexal-fuzz-" + std::to_string(getpid()) +
           "-" + name;
}

bool WriteAll(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

bool SameBlocks(const vexal::BlockStore& a, const vexal::BlockStore& b) {
    if (a.BlockCount() != b.BlockCount() || a.FreeBytes() != b.FreeBytes()) return false;
    for (int p = 0; p < a.BlockCount(); ++p) {
        const auto& ea = a.EntryAt(p);
        const auto& eb = b.EntryAt(p);
        if (ea.type != eb.type || ea.number != eb.number) return false;
        const uint32_t length = vexal::BlockImageLength(a.ImageAt(p));
        if (std::memcmp(a.ImageAt(p), b.ImageAt(p), length) != 0) return false;
    }
    return true;
}

// Room for a full store and a little more: 4 MiB of images plus their fragments.
constexpr size_t kLargestInput = 4194304 + 8192;
std::string maxLengthFlag = "-max_len=" + std::to_string(kLargestInput);
std::vector<char*> flags;

}  // namespace

// Unless the command line says otherwise, inputs may grow past libFuzzer's default of
// 4096 bytes, to images over 4 KB and a full store.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    for (int i = 1; i < *argc; ++i) {
        if (std::strncmp((*argv)[i], "-max_len=", 9) == 0) return 0;
    }
    flags.assign(*argv, *argv + *argc);
    flags.insert(flags.begin() + 1, maxLengthFlag.data());
    flags.push_back(nullptr);
    *argc += 1;
    *argv = flags.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto loaded = std::make_unique<vexal::BlockStore>();
    static auto reloaded = std::make_unique<vexal::BlockStore>();
    static const std::string input = TempPath("in.wld");
    static const std::string output = TempPath("out.wld");
    if (!WriteAll(input, data, size)) std::abort();
    loaded->Clear();
    const int result = vexal::ReadProjectFile(input.c_str(), *loaded);
    if (result < vexal::kReadStoreRefused || result > vexal::kReadOk) std::abort();
    if (result == vexal::kReadOk) {
        if (vexal::WriteProjectFile(output.c_str(), *loaded) != vexal::kWriteOk) std::abort();
        reloaded->Clear();
        if (vexal::ReadProjectFile(output.c_str(), *reloaded) != vexal::kReadOk) std::abort();
        if (!SameBlocks(*loaded, *reloaded)) std::abort();
    }
    unlink(input.c_str());
    unlink(output.c_str());
    return 0;
}
