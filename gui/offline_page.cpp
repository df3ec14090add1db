#include "offline_page.h"

namespace vexal {

COfflinePage::COfflinePage(int templateId) : CSheetPage(templateId) {
    setObjectName(QStringLiteral("offlinePage"));
}

}  // namespace vexal
