#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace plumark {

// The languages the window is translated into, beside its English texts.
inline const QStringList ShippedLanguages = {QStringLiteral("de"), QStringLiteral("es"),
                                             QStringLiteral("fr")};

// The language the window speaks, as gettext chooses it: none (English) under
// the C or POSIX locale (messagesLocale, the first set of LC_ALL, LC_MESSAGES
// and LANG) whatever uiLanguages (the user's languages in order of
// preference) say; else the first of uiLanguages that is English or shipped.
// An empty result means English.
QString translationLanguage(const QString& messagesLocale, const QStringList& uiLanguages,
                            const QStringList& shipped = ShippedLanguages);

// The locale that names the language of messages, from the environment.
QString messagesLocaleName();

// Installs the window's translation and Qt's own (its dialogs' buttons and
// the file dialog) for the user's language. The batch mode never calls it:
// its console output stays English for the scripts that read it.
void installTranslations(QCoreApplication& application);

} // namespace plumark
