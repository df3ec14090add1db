// Exit codes of the command program. Negative codes are failures, 1 to 3 warnings of the
// command that ended the run.
#pragma once

namespace vexal::cmd {

enum ExitCode {
    kExitOk = 0,
    kExitAdapterNotOpened = -1,
    kExitAdapterNotOnline = -2,
    kExitNoBusParameters = -3,
    kExitOwnStationAddress = -4,
    kExitNotInitialised = -5,
    kExitNotConnected = -6,
    kExitPasswordRefused = -10,
    kTokeniserExitOffset = -50,
    kExitCannotCombine = -101,
    kExitMpiAfterIp = -110,
    kExitBadStationAddress = -111,
    kExitIpAfterMpi = -115,
    kExitBadIpAddress = -116,
    kExitPasswordTooLong = -120,
    kExitUploadNameTooLong = -130,
    kExitDownloadNameTooLong = -140,
    kVarCheckOffset = -150,
    kUploadCheckOffset = -160,
    kDownloadCheckOffset = -170,
    kExitNoUploadFile = -180,
    kExitUploadFileNotCreated = -181,
    kExitNoDownloadFile = -190,
    kDownloadFileOffset = -190,
};

}  // namespace vexal::cmd
