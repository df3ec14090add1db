// The program's texts in the user's language: German when the locale asks for it, English
// (the texts as written in the source) otherwise.
#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

namespace vexal {

// The language of messages as the C library picks it: LC_ALL, else LC_MESSAGES, else LANG.
// "C", "POSIX" or nothing at all give the C locale, whose texts are the English ones.
QLocale MessageLocale();

// Installs Qt's own translation and the program's for `locale`; none when the program has
// no translation for it. The program's translation is looked for in `directory` first (the
// installed one), then in the one built into the program.
void InstallTranslations(QCoreApplication& application, const QLocale& locale,
                         const QString& directory);

}  // namespace vexal
