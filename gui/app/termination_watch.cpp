#include "termination_watch.h"

#include <QApplication>

namespace vexal {

// The signal arrives on the watch's thread; the windows are closed on the GUI thread.
CTerminationWatch::CTerminationWatch()
    : watch_([] {
          QMetaObject::invokeMethod(
              qApp, [] { QApplication::closeAllWindows(); }, Qt::QueuedConnection);
      }) {}

}  // namespace vexal
