#include "page_templates.h"

#include <QGuiApplication>
#include <QScreen>

namespace vexal {
namespace {

struct TemplateCaptions {
    PageTemplateIds ids;
    const char* small;
    const char* large;
};

constexpr TemplateCaptions kCaptions[] = {
    {kStationListTemplates, "List", "List"},        {kOfflineTemplates, "Offline", "Offline"},
    {kOnlineTemplates, "Online", "Online"},         {kTimeTemplates, "Time", "Time"},
    {kDiagnosticsTemplates, "Diag", "Diagnostics"}, {kOpModeTemplates, "Op Mode", "Operation Mode"},
    {kMemoryTemplates, "Memory", "Memory"},         {kVariablesTemplates, "Variables", "Variables"},
};

}  // namespace

QString TemplateCaption(int templateId) {
    for (const TemplateCaptions& entry : kCaptions) {
        if (entry.ids.small == templateId) return QString::fromLatin1(entry.small);
        if (entry.ids.large == templateId) return QString::fromLatin1(entry.large);
    }
    return {};
}

bool IsLargeTemplate(int templateId) {
    for (const TemplateCaptions& entry : kCaptions) {
        if (entry.ids.large == templateId) return true;
    }
    return false;
}

int LayoutScreenWidth() {
    bool valid = false;
    const int overridden = qEnvironmentVariableIntValue("VEXAL_SCREEN_WIDTH", &valid);
    if (valid && overridden > 0) return overridden;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().width() : 0;
}

}  // namespace vexal
