// The "Operation Mode" page: mode, mode selector, LEDs, stop and warm restart.
#pragma once

#include "sheet_page.h"

namespace vexal {

class COpModePage : public CSheetPage {
    Q_OBJECT

public:
    COpModePage(const PageContext& context, int templateId);
};

}  // namespace vexal
