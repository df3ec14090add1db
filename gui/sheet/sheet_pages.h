// The nine pages of the main sheet: built in one order and added as tabs in another. The
// sheet owns them; this list only names the pages that other code must reach.
#pragma once

namespace vexal {

class CMainSheet;
class CStationListPage;
class COfflinePage;
class COnlinePage;
class CTimePage;
class COpModePage;
class CDiagnosticsPage;
class CMemoryPage;
class CVariablesPage;
class CCpuPage;
struct PageContext;

struct CSheetPages {
    CStationListPage* stationList = nullptr;
    COfflinePage* offline = nullptr;
    COnlinePage* online = nullptr;
    CTimePage* time = nullptr;
    COpModePage* opMode = nullptr;
    CDiagnosticsPage* diagnostics = nullptr;
    CMemoryPage* memory = nullptr;
    CVariablesPage* variables = nullptr;
    CCpuPage* cpu = nullptr;

    // Constructs the pages with the templates of the chosen layout and adds them to the
    // sheet in tab order: project blocks, station list, controller blocks, variables,
    // operation mode, memory, CPU, time, diagnostics.
    static CSheetPages BuildInto(CMainSheet& sheet, const PageContext& context, bool largeLayout);
};

}  // namespace vexal
