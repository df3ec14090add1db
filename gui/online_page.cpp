#include "online_page.h"

namespace vexal {

COnlinePage::COnlinePage(int templateId) : CSheetPage(templateId) {
    setObjectName(QStringLiteral("onlinePage"));
}

}  // namespace vexal
