#include "shell/Translations.h"

#include "shell/ProgramFolder.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTranslator>

namespace plumark {

namespace {

// "de_DE.UTF-8", "de-DE" and "de" all name the language "de".
QString languageOf(const QString& localeName)
{
    const qsizetype end = localeName.indexOf(QRegularExpression(QStringLiteral("[_.@-]")));
    return localeName.left(end).toLower();
}

bool isPlainLocale(const QString& localeName)
{
    return localeName.isEmpty() || localeName == QLatin1String("C") ||
           localeName == QLatin1String("POSIX") || localeName.startsWith(QLatin1String("C."));
}

void install(QCoreApplication& application, const QString& file, const QString& folder)
{
    auto* translator = new QTranslator(&application);
    if (translator->load(file, folder))
        application.installTranslator(translator);
    else
        delete translator;
}

} // namespace

QString translationLanguage(const QString& messagesLocale, const QStringList& uiLanguages,
                            const QStringList& shipped)
{
    if (isPlainLocale(messagesLocale))
        return {};
    for (const QString& name : uiLanguages) {
        const QString language = languageOf(name);
        if (language == QLatin1String("en"))
            return {};
        if (shipped.contains(language))
            return language;
    }
    return {};
}

QString messagesLocaleName()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

void installTranslations(QCoreApplication& application)
{
    const QString language =
        translationLanguage(messagesLocaleName(), QLocale::system().uiLanguages());
    if (language.isEmpty())
        return;
    install(application, QStringLiteral("qtbase_") + language,
            QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    install(application, QStringLiteral("plumark_") + language,
            ProgramFolder() + QStringLiteral("/translations"));
}

} // namespace plumark
