// The "List" page: the reachable stations, connect and disconnect, password and networks.
#pragma once

#include "sheet_page.h"

namespace vexal {

class CStationListPage : public CSheetPage {
    Q_OBJECT

public:
    CStationListPage(const PageContext& context, int templateId);
};

}  // namespace vexal
