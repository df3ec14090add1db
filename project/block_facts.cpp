#include "block_facts.h"

#include <algorithm>
#include <tuple>

#include "big_endian.h"
#include "block_image.h"

namespace vexal {
namespace {

// Six bytes: milliseconds since midnight, then days since 1984.
uint64_t TimeStamp(const uint8_t* at) {
    return uint64_t{BigEndian32(at)} << 16 | BigEndian16(at + 4);
}

bool Before(const BlockFacts& a, const BlockFacts& b) {
    return std::tie(a.type, a.number) < std::tie(b.type, b.number);
}

std::vector<BlockFacts> Sorted(std::vector<BlockFacts> facts) {
    std::sort(facts.begin(), facts.end(), Before);
    return facts;
}

}  // namespace

bool ReadBlockFacts(const uint8_t* image, size_t size, BlockFacts* facts) {
    if (size < kBlockHeaderSize + kBlockTrailerSize) return false;
    const uint32_t length = BlockImageLength(image);
    const int type = BlockImageType(image);
    if (type == BLOCK_TYPE_NONE || length < kBlockHeaderSize + kBlockTrailerSize || length > size)
        return false;
    facts->type = type;
    facts->number = BlockImageNumber(image);
    facts->loadLength = length;
    facts->codeLength = BigEndian16(image + 34);
    facts->codeTime = TimeStamp(image + 16);
    facts->interfaceTime = TimeStamp(image + 22);
    facts->checksum = BigEndian16(image + length - kBlockTrailerSize + 26);
    return true;
}

BlockMatch CompareBlockFacts(const BlockFacts& controller, const BlockFacts& project) {
    if (controller.loadLength == 0 || project.loadLength == 0) return BlockMatch::kUndecided;
    const bool checksums = controller.checksum != 0 && project.checksum != 0;
    if (controller.type != project.type || controller.number != project.number ||
        controller.loadLength != project.loadLength ||
        controller.codeLength != project.codeLength || controller.codeTime != project.codeTime ||
        controller.interfaceTime != project.interfaceTime ||
        (checksums && controller.checksum != project.checksum)) {
        return BlockMatch::kDiffers;
    }
    const bool stamped = controller.codeTime != 0 || controller.interfaceTime != 0;
    return stamped || checksums ? BlockMatch::kSame : BlockMatch::kUndecided;
}

std::vector<BlockComparison> CompareBlockLists(const std::vector<BlockFacts>& controller,
                                               const std::vector<BlockFacts>& project) {
    const std::vector<BlockFacts> online = Sorted(controller);
    const std::vector<BlockFacts> offline = Sorted(project);
    std::vector<BlockComparison> result;
    auto c = online.begin();
    auto p = offline.begin();
    while (c != online.end() || p != offline.end()) {
        if (p == offline.end() || (c != online.end() && Before(*c, *p))) {
            result.push_back({c->type, c->number, BlockMatch::kOnlyInController});
            ++c;
        } else if (c == online.end() || Before(*p, *c)) {
            result.push_back({p->type, p->number, BlockMatch::kOnlyInProject});
            ++p;
        } else {
            result.push_back({c->type, c->number, CompareBlockFacts(*c, *p)});
            ++c;
            ++p;
        }
    }
    return result;
}

}  // namespace vexal
