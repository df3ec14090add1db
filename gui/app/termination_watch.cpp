#include "termination_watch.h"

#include <QApplication>
#include <QTimer>

namespace vexal {

// The signal arrives on the watch's thread; the windows are closed on the GUI thread.
CTerminationWatch::CTerminationWatch()
    : watch_([] {
          QMetaObject::invokeMethod(
              qApp, [] { QApplication::closeAllWindows(); }, Qt::QueuedConnection);
      }) {}

void AnnounceQuit() {
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}

}  // namespace vexal
