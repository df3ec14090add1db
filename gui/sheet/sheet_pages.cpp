#include "sheet_pages.h"

#include <initializer_list>

#include "cpu_page.h"
#include "diagnostics_page.h"
#include "main_sheet.h"
#include "memory_page.h"
#include "offline_page.h"
#include "online_page.h"
#include "op_mode_page.h"
#include "page_templates.h"
#include "picker_accessibility.h"
#include "station_list_page.h"
#include "time_page.h"
#include "touch_style.h"
#include "variables_page.h"

namespace vexal {

CSheetPages CSheetPages::BuildInto(CMainSheet& sheet, const PageContext& context,
                                   bool largeLayout) {
    UseTouchStyle(largeLayout);
    InstallPickerAccessibility();
    CSheetPages pages;
    pages.stationList = new CStationListPage(context, kStationListTemplates.For(largeLayout));
    pages.offline = new COfflinePage(context, kOfflineTemplates.For(largeLayout));
    pages.online = new COnlinePage(context, kOnlineTemplates.For(largeLayout));
    pages.time = new CTimePage(context, kTimeTemplates.For(largeLayout));
    pages.opMode = new COpModePage(context, kOpModeTemplates.For(largeLayout));
    pages.diagnostics = new CDiagnosticsPage(context, kDiagnosticsTemplates.For(largeLayout));
    pages.memory = new CMemoryPage(context, kMemoryTemplates.For(largeLayout));
    pages.variables = new CVariablesPage(context, kVariablesTemplates.For(largeLayout));
    pages.cpu = new CCpuPage(context, kCpuTemplates.For(largeLayout));
    const std::initializer_list<CSheetPage*> tabOrder = {
        pages.offline, pages.stationList, pages.online, pages.variables,  pages.opMode,
        pages.memory,  pages.cpu,         pages.time,   pages.diagnostics};
    for (CSheetPage* page : tabOrder) sheet.AddSheetPage(page);
    return pages;
}

}  // namespace vexal
