#include "time_page.h"

namespace vexal {

CTimePage::CTimePage(const PageContext& context, int templateId)
    : CSheetPage(context, templateId) {
    setObjectName(QStringLiteral("timePage"));
}

}  // namespace vexal
