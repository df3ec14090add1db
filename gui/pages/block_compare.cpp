#include "block_compare.h"

#include <QCoreApplication>
#include <algorithm>

#include "block_store.h"
#include "main_app.h"

namespace vexal {
namespace {

std::vector<BlockFacts> ProjectFacts(const BlockStore& project) {
    std::vector<BlockFacts> all;
    for (int position = 0; position < project.BlockCount(); ++position) {
        const uint8_t* image = project.ImageAt(position);
        BlockFacts facts;
        if (ReadBlockFacts(image, BlockImageLength(image), &facts)) all.push_back(facts);
    }
    return all;
}

// The controller's facts; a block whose info is refused has facts not known (undecided).
bool ControllerFacts(CMainApp& app, const std::vector<BlockRef>& blocks,
                     std::vector<BlockFacts>* all) {
    for (const BlockRef ref : blocks) {
        BlockFacts facts{BlockRef_Type(ref), BlockRef_Number(ref)};
        const CpuStatus status = app.GetBlockFacts(facts.type, facts.number, &facts);
        if (CpuStatus_IsFatal(status)) return false;
        all->push_back(facts);
    }
    return true;
}

// The bytes decide: the controller's image of the block against the project's.
bool CompareBytes(CMainApp& app, const BlockStore& project, BlockComparison& entry) {
    const uint8_t* own = project.Find(entry.type, entry.number);
    std::vector<uint8_t> image;
    const CpuStatus status = app.UploadImage(entry.type, entry.number, &image);
    if (CpuStatus_IsFatal(status)) return false;
    if (status != CPULINK_OK || own == nullptr) return true;
    const bool same =
        image.size() == BlockImageLength(own) && std::equal(image.begin(), image.end(), own);
    entry.match = same ? BlockMatch::kSame : BlockMatch::kDiffers;
    return true;
}

QString TypeName(int type) {
    return QString::fromLatin1(BlockTypeName(type));
}

}  // namespace

BlockCompareResult CompareWithProject(CMainApp& app, const BlockStore& project,
                                      const std::vector<BlockRef>& controllerBlocks) {
    BlockCompareResult result;
    std::vector<BlockFacts> controller;
    result.complete = ControllerFacts(app, controllerBlocks, &controller);
    if (!result.complete) return result;
    result.entries = CompareBlockLists(controller, ProjectFacts(project));
    for (BlockComparison& entry : result.entries) {
        if (entry.match != BlockMatch::kUndecided) continue;
        if (!CompareBytes(app, project, entry)) {
            result.complete = false;
            break;
        }
    }
    return result;
}

QString MatchMark(BlockMatch match) {
    switch (match) {
        case BlockMatch::kSame:
            return QStringLiteral("=");
        case BlockMatch::kDiffers:
            return QStringLiteral("\u2260");
        case BlockMatch::kOnlyInController:
            return QStringLiteral("+");
        case BlockMatch::kOnlyInProject:
            return QStringLiteral("-");
        case BlockMatch::kUndecided:
            break;
    }
    return QStringLiteral("?");
}

QString MatchText(BlockMatch match) {
    switch (match) {
        case BlockMatch::kSame:
            return QCoreApplication::translate("Vexal", "same as project");
        case BlockMatch::kDiffers:
            return QCoreApplication::translate("Vexal", "differs from project");
        case BlockMatch::kOnlyInController:
            return QCoreApplication::translate("Vexal", "only in controller");
        case BlockMatch::kOnlyInProject:
            return QCoreApplication::translate("Vexal", "not in controller");
        case BlockMatch::kUndecided:
            break;
    }
    return QCoreApplication::translate("Vexal", "undecided");
}

QString MarkedBlockText(int type, uint16_t number, BlockMatch match) {
    return QStringLiteral("%1 %2, %3").arg(TypeName(type)).arg(number).arg(MatchText(match));
}

QString CompareReport(const std::vector<BlockComparison>& entries) {
    QString report;
    for (const BlockComparison& entry : entries) {
        report += QStringLiteral("%1 %2: %3\n")
                      .arg(TypeName(entry.type))
                      .arg(entry.number)
                      .arg(MatchText(entry.match));
    }
    return report;
}

}  // namespace vexal
