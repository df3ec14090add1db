#include "op_mode_page.h"

namespace vexal {

COpModePage::COpModePage(const PageContext& context, int templateId)
    : CSheetPage(context, templateId) {
    setObjectName(QStringLiteral("opModePage"));
}

}  // namespace vexal
