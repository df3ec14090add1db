#include "diagnostics_page.h"

namespace vexal {

CDiagnosticsPage::CDiagnosticsPage(const PageContext& context, int templateId)
    : CSheetPage(context, templateId) {
    setObjectName(QStringLiteral("diagnosticsPage"));
}

}  // namespace vexal
