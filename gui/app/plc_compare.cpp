// The serialised reads that compare the controller's blocks with the project: a block's
// info, and an upload that leaves the project as it is.
#include <algorithm>

#include "main_app.h"

namespace vexal {

CpuStatus CMainApp::GetBlockFacts(int type, uint16_t number, BlockFacts* facts) {
    CpuBlockInfo info{};
    const CpuStatus status = CallReportingFatal(
        [&] { return library_->GetBlockInfo(currentConnection_, type, number, &info); });
    if (status != CPULINK_OK) return status;
    *facts = BlockFacts{info.type,     info.number,        info.loadLength, info.codeLength,
                        info.codeTime, info.interfaceTime, info.checksum};
    return CPULINK_OK;
}

CpuStatus CMainApp::UploadImage(int type, uint16_t number, std::vector<uint8_t>* image) {
    const CpuStatus status = CallReportingFatal([&] {
        return library_->UploadBlock(currentConnection_, type, number, uploadBuffer_.data(),
                                     kUploadBufferSize);
    });
    image->clear();
    if (status == CPULINK_OK) {
        const uint32_t length = BlockImageLength(uploadBuffer_.data());
        image->assign(uploadBuffer_.begin(),
                      uploadBuffer_.begin() + std::min(length, kUploadBufferSize));
    }
    return status;
}

}  // namespace vexal
