#include "translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vexal {
namespace {

QString MessageLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty()) return value;
    }
    return {};
}

bool Install(QCoreApplication& application, const QLocale& locale, const QString& name,
             const QString& directory) {
    auto* translator = new QTranslator(&application);
    if (translator->load(locale, name, QStringLiteral("_"), directory) &&
        QCoreApplication::installTranslator(translator)) {
        return true;
    }
    delete translator;
    return false;
}

}  // namespace

QLocale MessageLocale() {
    const QString name =
        MessageLocaleName().section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX")) {
        return QLocale::c();
    }
    return QLocale(name);
}

void InstallTranslations(QCoreApplication& application, const QLocale& locale,
                         const QString& directory) {
    if (locale.language() == QLocale::C || locale.language() == QLocale::English) return;
    const QString name = QStringLiteral("vexal");
    if (!Install(application, locale, name, directory) &&
        !Install(application, locale, name, QStringLiteral(":/i18n"))) {
        return;
    }
    Install(application, locale, QStringLiteral("qtbase"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

}  // namespace vexal
