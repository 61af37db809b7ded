#include "shell/Translations.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace plumark {
namespace {

TEST(Translations, TheLanguageFollowsTheLocaleAsGettextChoosesIt)
{
    const struct
    {
        const char* messagesLocale;
        QStringList uiLanguages;
        const char* language;
    } cases[] = {
        {"de_DE.UTF-8", {"de-DE"}, "de"},
        {"fr_CA.UTF-8", {"fr-CA", "fr"}, "fr"},
        {"es_ES@euro", {"es-ES"}, "es"},
        // LANGUAGE's list is read in order, up to English or a shipped one.
        {"de_DE.UTF-8", {"it", "fr", "de-DE"}, "fr"},
        {"de_DE.UTF-8", {"en-GB", "de-DE"}, ""},
        {"en_US.UTF-8", {"en-US"}, ""},
        {"it_IT.UTF-8", {"it-IT"}, ""},
        // Under C or POSIX the window is English whatever LANGUAGE says.
        {"C", {"de"}, ""},
        {"C.UTF-8", {"de"}, ""},
        {"POSIX", {"fr"}, ""},
        {"", {"de"}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(translationLanguage(QString::fromLatin1(c.messagesLocale), c.uiLanguages),
                  QString::fromLatin1(c.language))
            << c.messagesLocale << " " << c.uiLanguages.join(QLatin1Char(':')).toStdString();
}

// Scripts read the batch's report, so it stays English in any locale.
TEST(Translations, TheBatchReportsInEnglishUnderAGermanLocale)
{
    QTemporaryDir work;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("LC_ALL"));
    environment.remove(QStringLiteral("LC_MESSAGES"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("de_DE.UTF-8"));
    environment.insert(QStringLiteral("LANGUAGE"), QStringLiteral("de"));
    QProcess batch;
    batch.setProcessEnvironment(environment);
    batch.setProcessChannelMode(QProcess::MergedChannels);
    batch.start(QStringLiteral(PLUMARK_BINARY_DIR "/plumark"),
                {QStringLiteral("convert"), QStringLiteral("--output-dir"), work.path(),
                 work.filePath(QStringLiteral("missing.m4a"))});
    ASSERT_TRUE(batch.waitForFinished(60000));
    const QString output = QString::fromUtf8(batch.readAll());
    EXPECT_TRUE(output.contains(QStringLiteral("missing.m4a: The file does not exist.")))
        << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("Converted: 0 of 1"))) << output.toStdString();
}

} // namespace
} // namespace plumark
