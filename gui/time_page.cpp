#include "time_page.h"

namespace vexal {

CTimePage::CTimePage(int templateId) : CSheetPage(templateId) {
    setObjectName(QStringLiteral("timePage"));
}

}  // namespace vexal
