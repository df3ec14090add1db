// The German translation: every text the library can give has one, and the locale picks it,
// the C locale keeping the English texts.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSet>
#include <QTranslator>

#include "library_text.h"
#include "translations.h"

namespace vexal {
namespace {

TEST(TranslationTest, EveryStatusAndEventTextOfTheLibraryHasAGermanOne) {
    QTranslator german;
    ASSERT_TRUE(german.load(QStringLiteral(":/i18n/vexal_de.qm")));
    QCoreApplication::installTranslator(&german);
    QSet<QString> untranslated;
    for (uint32_t id = 0; id <= 0xFFFF; ++id) {
        for (const auto call : {&cpuLink_ErrorString, &cpuLink_DiagnoseString}) {
            wchar_t buffer[CPULINK_ERROR_TEXT_CAPACITY] = {};
            if (call(static_cast<uint16_t>(id), buffer, CPULINK_ERROR_TEXT_CAPACITY) == 0) continue;
            const QString english = QString::fromWCharArray(buffer);
            if (TranslatedLibraryText(english) == english) untranslated.insert(english);
        }
    }
    QCoreApplication::removeTranslator(&german);
    EXPECT_TRUE(untranslated.isEmpty()) << untranslated.values().join('\n').toStdString();
}

TEST(TranslationTest, TheMessageLocaleChoosesGermanOrKeepsEnglish) {
    const struct {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        const char* list;  // the caption of the first page
    } cases[] = {
        {"", "", "C", "List"},           {"", "", "", "List"},
        {"", "", "en_US.UTF-8", "List"}, {"", "", "de_DE.UTF-8", "Liste"},
        {"", "de_AT", "C", "Liste"},     {"POSIX", "de_DE", "de_DE", "List"},
        {"", "", "de_DE@euro", "Liste"},
    };
    const QByteArray saved[] = {qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"), qgetenv("LANG")};
    for (const auto& row : cases) {
        qputenv("LC_ALL", row.lcAll);
        qputenv("LC_MESSAGES", row.lcMessages);
        qputenv("LANG", row.lang);
        InstallTranslations(*QCoreApplication::instance(), MessageLocale(), QString());
        EXPECT_EQ(QCoreApplication::translate("Vexal", "List"), QLatin1String(row.list))
            << row.lcAll << '|' << row.lcMessages << '|' << row.lang;
        qDeleteAll(QCoreApplication::instance()->findChildren<QTranslator*>());
    }
    qputenv("LC_ALL", saved[0]);
    qputenv("LC_MESSAGES", saved[1]);
    qputenv("LANG", saved[2]);
}

}  // namespace
}  // namespace vexal
