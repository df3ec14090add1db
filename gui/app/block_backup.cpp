// The backup before blocks in the controller are overwritten or deleted: the controller's
// images of exactly those blocks, uploaded into an ordinary project file in the user's
// data folder.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include "main_app.h"
#include "project_file.h"

namespace vexal {
namespace {

const QString kBackupSetting = QStringLiteral("BackupBeforeOverwrite");

}  // namespace

bool CMainApp::BackupEnabled() const {
    return QSettings(QStringLiteral("Norrik"), QStringLiteral("VexalCE"))
        .value(kBackupSetting, true)
        .toBool();
}

QString CMainApp::BackupFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/backups");
}

BlockBackup CMainApp::BackUpBlocks(const std::vector<BlockRef>& blocks) {
    BlockBackup backup;
    auto store = std::make_unique<BlockStore>();
    std::vector<uint8_t> image;
    for (const BlockRef ref : blocks) {
        const CpuStatus status = UploadImage(BlockRef_Type(ref), BlockRef_Number(ref), &image);
        if (status == CPULINK_NOT_FOUND) continue;
        if (status != CPULINK_OK || !store->Add(image.data(), image.size())) {
            backup.failed = true;
            return backup;
        }
    }
    if (store->BlockCount() == 0) return backup;
    const QString folder = BackupFolder();
    const QString stem = folder + QLatin1Char('/') + station_ + QLatin1Char('_') +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    // A second backup within the same second gets a number of its own.
    QString path = stem + QStringLiteral(".wld");
    for (int n = 2; QFile::exists(path); ++n) path = stem + QStringLiteral("-%1.wld").arg(n);
    backup.failed = !QDir().mkpath(folder) ||
                    WriteProjectFile(QFile::encodeName(path).constData(), *store) != kWriteOk;
    if (!backup.failed) backup.path = path;
    return backup;
}

}  // namespace vexal
