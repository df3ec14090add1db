#include "sheet_pages.h"

#include <initializer_list>

#include "diagnostics_page.h"
#include "main_sheet.h"
#include "memory_page.h"
#include "offline_page.h"
#include "online_page.h"
#include "op_mode_page.h"
#include "page_templates.h"
#include "station_list_page.h"
#include "time_page.h"
#include "variables_page.h"

namespace vexal {

void CSheetPages::Build(bool largeLayout) {
    stationList = new CStationListPage(kStationListTemplates.For(largeLayout));
    offline = new COfflinePage(kOfflineTemplates.For(largeLayout));
    online = new COnlinePage(kOnlineTemplates.For(largeLayout));
    time = new CTimePage(kTimeTemplates.For(largeLayout));
    opMode = new COpModePage(kOpModeTemplates.For(largeLayout));
    diagnostics = new CDiagnosticsPage(kDiagnosticsTemplates.For(largeLayout));
    memory = new CMemoryPage(kMemoryTemplates.For(largeLayout));
    variables = new CVariablesPage(kVariablesTemplates.For(largeLayout));
}

void CSheetPages::AddInTabOrder(CMainSheet& sheet) const {
    const std::initializer_list<CSheetPage*> tabOrder = {offline, stationList, online, variables,
                                                         opMode,  memory,      time,   diagnostics};
    for (CSheetPage* page : tabOrder) sheet.AddSheetPage(page);
}

// A page deleted while its sheet still exists leaves the sheet's tabs by itself.
void CSheetPages::DeleteAll() {
    delete stationList;
    delete offline;
    delete online;
    delete time;
    delete opMode;
    delete diagnostics;
    delete memory;
    delete variables;
    *this = CSheetPages{};
}

}  // namespace vexal
