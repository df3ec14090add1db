#include "offline_page.h"

namespace vexal {

COfflinePage::COfflinePage(const PageContext& context, int templateId)
    : CSheetPage(context, templateId) {
    setObjectName(QStringLiteral("offlinePage"));
}

}  // namespace vexal
