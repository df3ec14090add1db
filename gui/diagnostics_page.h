// The "Diagnostics" page: the controller's diagnostic buffer.
#pragma once

#include "sheet_page.h"

namespace vexal {

class CDiagnosticsPage : public CSheetPage {
    Q_OBJECT

public:
    CDiagnosticsPage(const PageContext& context, int templateId);
};

}  // namespace vexal
