// VexalCE: the touch GUI of the service tool.
#include <QApplication>

#include "main_app.h"
#include "termination_watch.h"

int main(int argc, char** argv) {
    vexal::CTerminationWatch::BlockSignals();
    QApplication application(argc, argv);
    const vexal::CTerminationWatch watch;
    vexal::CMainApp app(vexal::MakeQtPrompts());
    app.InitInstance();
    return app.StartedUp() ? 0 : 1;
}
