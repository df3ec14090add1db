// The page templates of both layouts. A page is built from its template id: the id says
// which layout its controls take and its caption is the tab title.
#pragma once

#include <QString>

namespace vexal {

struct PageTemplateIds {
    int small;
    int large;

    int For(bool largeLayout) const { return largeLayout ? large : small; }
};

inline constexpr PageTemplateIds kStationListTemplates{110, 120};
inline constexpr PageTemplateIds kOfflineTemplates{111, 121};
inline constexpr PageTemplateIds kOnlineTemplates{112, 122};
inline constexpr PageTemplateIds kTimeTemplates{113, 123};
inline constexpr PageTemplateIds kDiagnosticsTemplates{114, 124};
inline constexpr PageTemplateIds kOpModeTemplates{115, 125};
inline constexpr PageTemplateIds kMemoryTemplates{116, 126};
inline constexpr PageTemplateIds kVariablesTemplates{117, 127};
inline constexpr PageTemplateIds kCpuTemplates{118, 128};

// Screens at least this wide get the large layouts.
inline constexpr int kLargeLayoutMinWidth = 600;

// The caption of a page template; empty for an id that names none.
QString TemplateCaption(int templateId);
bool IsLargeTemplate(int templateId);

// The screen width that decides the layout: VEXAL_SCREEN_WIDTH when it holds a positive
// number, else the primary screen's width (0 without a screen).
int LayoutScreenWidth();
inline bool UseLargeLayouts(int screenWidth) {
    return screenWidth >= kLargeLayoutMinWidth;
}

}  // namespace vexal
