#include "library_text.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <cwchar>
#include <vector>

namespace vexal {
namespace {

constexpr char kContext[] = "cpulink";

// Two of the library's texts are made of parts: an unknown status with its number, and a
// module event with its fault and direction.
constexpr const char* kUnknownStatus =
    QT_TRANSLATE_NOOP("cpulink", "Unknown status 0x%1 of the communication library.");
constexpr const char* kUnknownFatalStatus = QT_TRANSLATE_NOOP(
    "cpulink", "Unknown status 0x%1 of the communication library; the connection counts as lost.");
constexpr const char* kModuleComing =
    QT_TRANSLATE_NOOP("cpulink", "Module diagnostics: %1 (coming)");
constexpr const char* kModuleGoing = QT_TRANSLATE_NOOP("cpulink", "Module diagnostics: %1 (going)");

QString Translate(const char* text) {
    return QCoreApplication::translate(kContext, text);
}

std::optional<QString> AskLibrary(int capacity, int (*call)(uint16_t, wchar_t*, int), uint16_t id) {
    if (capacity < 1) return std::nullopt;
    std::vector<wchar_t> buffer(static_cast<size_t>(capacity), L'\0');
    if (call(id, buffer.data(), capacity) == 0) return std::nullopt;
    // A library that filled every character without a terminator still gives its text.
    buffer.back() = L'\0';
    return TranslatedLibraryText(
        QString::fromWCharArray(buffer.data(), static_cast<qsizetype>(std::wcslen(buffer.data()))));
}

}  // namespace

std::optional<QString> LibraryErrorText(CpuStatus status, int capacity) {
    return AskLibrary(capacity, &cpuLink_ErrorString, status);
}

std::optional<QString> LibraryEventText(uint16_t eventId, int capacity) {
    return AskLibrary(capacity, &cpuLink_DiagnoseString, eventId);
}

QString TranslatedLibraryText(const QString& english) {
    static const QRegularExpression kUnknown(QStringLiteral(
        "^Unknown status 0x([0-9A-F]{4}) of the communication library(; the connection counts "
        "as lost)?\\.$"));
    static const QRegularExpression kModule(
        QStringLiteral("^Module diagnostics: (.+) \\((coming|going)\\)$"));
    if (const QRegularExpressionMatch unknown = kUnknown.match(english); unknown.hasMatch()) {
        return Translate(unknown.capturedLength(2) > 0 ? kUnknownFatalStatus : kUnknownStatus)
            .arg(unknown.captured(1));
    }
    if (const QRegularExpressionMatch module = kModule.match(english); module.hasMatch()) {
        const QByteArray fault = module.captured(1).toUtf8();
        return Translate(module.captured(2) == QLatin1String("coming") ? kModuleComing
                                                                       : kModuleGoing)
            .arg(Translate(fault.constData()));
    }
    return Translate(english.toUtf8().constData());
}

}  // namespace vexal
