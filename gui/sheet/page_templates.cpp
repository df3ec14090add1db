#include "page_templates.h"

#include <QCoreApplication>
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
    {kStationListTemplates, QT_TRANSLATE_NOOP("Vexal", "List"), QT_TRANSLATE_NOOP("Vexal", "List")},
    {kOfflineTemplates, QT_TRANSLATE_NOOP("Vexal", "Offline"),
     QT_TRANSLATE_NOOP("Vexal", "Offline")},
    {kOnlineTemplates, QT_TRANSLATE_NOOP("Vexal", "Online"), QT_TRANSLATE_NOOP("Vexal", "Online")},
    {kTimeTemplates, QT_TRANSLATE_NOOP("Vexal", "Time"), QT_TRANSLATE_NOOP("Vexal", "Time")},
    {kDiagnosticsTemplates, QT_TRANSLATE_NOOP("Vexal", "Diag"),
     QT_TRANSLATE_NOOP("Vexal", "Diagnostics")},
    {kOpModeTemplates, QT_TRANSLATE_NOOP("Vexal", "Op Mode"),
     QT_TRANSLATE_NOOP("Vexal", "Operation Mode")},
    {kMemoryTemplates, QT_TRANSLATE_NOOP("Vexal", "Memory"), QT_TRANSLATE_NOOP("Vexal", "Memory")},
    {kVariablesTemplates, QT_TRANSLATE_NOOP("Vexal", "Variables"),
     QT_TRANSLATE_NOOP("Vexal", "Variables")},
    {kCpuTemplates, QT_TRANSLATE_NOOP("Vexal", "CPU"), QT_TRANSLATE_NOOP("Vexal", "CPU")},
};

}  // namespace

QString TemplateCaption(int templateId) {
    for (const TemplateCaptions& entry : kCaptions) {
        if (entry.ids.small == templateId) return QCoreApplication::translate("Vexal", entry.small);
        if (entry.ids.large == templateId) return QCoreApplication::translate("Vexal", entry.large);
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
