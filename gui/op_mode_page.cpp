#include "op_mode_page.h"

namespace vexal {

COpModePage::COpModePage(int templateId) : CSheetPage(templateId) {
    setObjectName(QStringLiteral("opModePage"));
}

}  // namespace vexal
