#include "diagnostics_page.h"

namespace vexal {

CDiagnosticsPage::CDiagnosticsPage(int templateId) : CSheetPage(templateId) {
    setObjectName(QStringLiteral("diagnosticsPage"));
}

}  // namespace vexal
