#include "online_page.h"

namespace vexal {

COnlinePage::COnlinePage(const PageContext& context, int templateId)
    : CSheetPage(context, templateId) {
    setObjectName(QStringLiteral("onlinePage"));
}

}  // namespace vexal
