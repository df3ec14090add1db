// VexalCE: the touch GUI of the service tool.
#include <QApplication>

#include "main_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    vexal::CMainApp app(vexal::MakeQtPrompts());
    app.InitInstance();
    return app.StartedUp() ? 0 : 1;
}
