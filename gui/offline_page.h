// The "Offline" page: the blocks of the project, its files, download to the controller.
#pragma once

#include "sheet_page.h"

namespace vexal {

class COfflinePage : public CSheetPage {
    Q_OBJECT

public:
    COfflinePage(const PageContext& context, int templateId);
};

}  // namespace vexal
