// VexalCE: the touch GUI of the service tool.
#include <QApplication>
#include <QDir>

#include "main_app.h"
#include "termination_watch.h"
#include "translations.h"

int main(int argc, char** argv) {
    vexal::CTerminationWatch::BlockSignals();
    QApplication application(argc, argv);
    const vexal::CTerminationWatch watch;
    // Installed, the translations lie in share/vexal/translations beside bin/.
    vexal::InstallTranslations(application, vexal::MessageLocale(),
                               QDir(QCoreApplication::applicationDirPath())
                                   .filePath(QStringLiteral("../share/vexal/translations")));
    vexal::CMainApp app(vexal::MakeQtPrompts());
    app.InitInstance();
    vexal::AnnounceQuit();
    return app.StartedUp() ? 0 : 1;
}
