// vexal-wld: a small tool for project files.
//   vexal-wld generate FILE      write the demo program
//   vexal-wld list FILE          one line per block: name, length
//   vexal-wld copy FROM TO       load FROM into a block store and write it to TO
// Exit 0 on success, 1 when a file cannot be read or written, 2 on bad usage.
#include <cstdio>
#include <cstring>
#include <memory>

#include "block_store.h"
#include "demo_project.h"
#include "project_file.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: vexal-wld generate FILE | list FILE | copy FROM TO\n");
    return 2;
}

int Load(const char* path, vexal::BlockStore& store) {
    const int result = vexal::ReadProjectFile(path, store);
    if (result != vexal::kReadOk) std::fprintf(stderr, "%s: read error %d\n", path, result);
    return result;
}

int List(const char* path) {
    auto store = std::make_unique<vexal::BlockStore>();
    if (Load(path, *store) != vexal::kReadOk) return 1;
    for (int p = 0; p < store->BlockCount(); ++p) {
        const auto& entry = store->EntryAt(p);
        std::printf("%s%u %u\n", vexal::BlockTypeName(entry.type), entry.number,
                    vexal::BlockImageLength(store->ImageAt(p)));
    }
    std::printf("%d blocks, %u bytes free\n", store->BlockCount(), store->FreeBytes());
    return 0;
}

int Copy(const char* from, const char* to) {
    auto store = std::make_unique<vexal::BlockStore>();
    if (Load(from, *store) != vexal::kReadOk) return 1;
    const int result = vexal::WriteProjectFile(to, *store);
    if (result != vexal::kWriteOk) std::fprintf(stderr, "%s: write error %d\n", to, result);
    return result == vexal::kWriteOk ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "generate") == 0) {
        return vexal::WriteDemoProject(argv[2]) == vexal::kWriteOk ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "list") == 0) return List(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "copy") == 0) return Copy(argv[2], argv[3]);
    return Usage();
}
