#include "demo_project.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "block_image.h"
#include "block_store.h"
#include "project_file.h"

namespace vexal {
namespace {

constexpr uint32_t kInterfaceSize = 20;
// Languages a block is written in: STL for code blocks, DB, SDB.
constexpr uint8_t kLanguageStl = 0x01;
constexpr uint8_t kLanguageDb = 0x05;
constexpr uint8_t kLanguageSdb = 0x07;

void PutBig16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}

void PutBig32(uint8_t* at, uint32_t value) {
    PutBig16(at, value >> 16);
    PutBig16(at + 2, value);
}

uint8_t LanguageOf(int type) {
    if (type == 3) return kLanguageDb;
    if (type == 4) return kLanguageSdb;
    return kLanguageStl;
}

// A small linear congruential generator keeps the demo identical on every machine.
uint32_t NextRandom(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

void PutText(uint8_t* at, const char* text) {
    std::memset(at, 0, 8);
    std::memcpy(at, text, std::strlen(text) < 8 ? std::strlen(text) : 8);
}

}  // namespace

std::vector<uint8_t> MakeDemoBlock(int type, uint16_t number, uint32_t codeLength, uint32_t seed) {
    const uint32_t length = kBlockHeaderSize + codeLength + kInterfaceSize + kBlockTrailerSize;
    std::vector<uint8_t> image(length, 0);
    uint8_t* h = image.data();
    PutBlockHeader(h, type, number, length);
    h[2] = 0x01;
    h[3] = 0x01;  // linked
    h[4] = LanguageOf(type);
    PutBig32(h + 16, 36000000u + seed * 1000u);  // code time stamp: 10:00 plus a little
    PutBig16(h + 20, 14000 + seed % 500);        // days since 1984
    PutBig32(h + 22, 36000000u);
    PutBig16(h + 26, 14000);
    PutBig16(h + 28, kInterfaceSize);
    PutBig16(h + 32, type == 3 ? 0 : 20 + seed % 40);  // local data
    PutBig16(h + 34, codeLength);
    uint32_t state = seed * 2654435761u + number;
    uint32_t checksum = 0;
    for (uint32_t i = 0; i < codeLength; ++i) {
        image[kBlockHeaderSize + i] = static_cast<uint8_t>(NextRandom(state));
        checksum = (checksum * 31 + image[kBlockHeaderSize + i]) & 0xFFFF;
    }
    uint8_t* trailer = image.data() + length - kBlockTrailerSize;
    PutText(trailer, "VEXAL");
    PutText(trailer + 8, "DEMO");
    char name[9];
    std::snprintf(name, sizeof name, "BLK%u", static_cast<unsigned>(number % 100000));
    PutText(trailer + 16, name);
    trailer[24] = 0x01;  // version 0.1
    PutBig16(trailer + 26, checksum == 0 ? 1 : checksum);
    return image;
}

std::vector<std::vector<uint8_t>> MakeDemoProgram() {
    struct Range {
        int type;
        uint16_t first;
        uint16_t count;
        uint32_t smallest;
        uint32_t largest;
    };
    const Range ranges[] = {
        {0, 1, 1, 2000, 6000},  {0, 35, 1, 300, 900},   {0, 80, 7, 108, 300},
        {0, 100, 1, 200, 800},  {1, 1, 12, 400, 20000}, {2, 1, 40, 108, 12000},
        {3, 1, 30, 108, 20000}, {4, 0, 3, 108, 2000},   {4, 1000, 2, 108, 600},
    };
    std::vector<std::vector<uint8_t>> blocks;
    uint32_t state = 20261206;
    for (const Range& r : ranges) {
        for (uint16_t i = 0; i < r.count; ++i) {
            const uint32_t span = r.largest - r.smallest;
            const uint32_t code = r.smallest + NextRandom(state) % (span + 1);
            blocks.push_back(MakeDemoBlock(r.type, r.first + i, code, NextRandom(state)));
        }
    }
    // File order differs from store order, as in projects saved by other tools.
    for (size_t i = blocks.size(); i > 1; --i)
        std::swap(blocks[i - 1], blocks[NextRandom(state) % i]);
    return blocks;
}

int WriteDemoProject(const std::string& path) {
    auto store = std::make_unique<BlockStore>();
    for (const auto& block : MakeDemoProgram()) store->Add(block.data(), block.size());
    return WriteProjectFile(path.c_str(), *store);
}

}  // namespace vexal
