// The "Memory" page: load and work memory figures, memory compression.
#pragma once

#include "sheet_page.h"

namespace vexal {

class CMemoryPage : public CSheetPage {
    Q_OBJECT

public:
    CMemoryPage(const PageContext& context, int templateId);
};

}  // namespace vexal
