#include "shell/Settings.h"
#include "base/Failure.h"
#include "support/Media.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

using namespace plumark;

TEST(Settings, LandInTheUsersFileAndSurviveARestart)
{
    const QString expectedFile =
        qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Kestrova.conf");
    EXPECT_EQ(settingsFilePath(), expectedFile);

    WriteSetting(QStringLiteral("kbps"), QStringLiteral("192 kbps"));
    WriteSetting(QStringLiteral("Output Folder"), QStringLiteral("/home/me/AC3, done/"));
    WriteSetting(QStringLiteral("kbps"), QStringLiteral("224 kbps"));

    QFile file(expectedFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.contains("[Plumark]")) << bytes.toStdString();
    EXPECT_TRUE(bytes.contains("kbps=224 kbps")) << bytes.toStdString();

    // A separate reader of the same file, as the next start would open it.
    const QSettings next(expectedFile, QSettings::IniFormat);
    EXPECT_EQ(next.value(QStringLiteral("Plumark/kbps")).toString(), QStringLiteral("224 kbps"));
    EXPECT_EQ(ReadSetting(QStringLiteral("kbps"), QStringLiteral("128 kbps")),
              QStringLiteral("224 kbps"));
    EXPECT_EQ(ReadSetting(QStringLiteral("Output Folder"), QString()),
              QStringLiteral("/home/me/AC3, done/"));
}

TEST(Settings, MissingKeyReadsAsTheDefault)
{
    EXPECT_EQ(ReadSetting(QStringLiteral("Extension"), QStringLiteral("m4a")),
              QStringLiteral("m4a"));
    EXPECT_EQ(ReadSetting(QStringLiteral("LastFolder"), QString()), QString());
}

TEST(Settings, AJunkFileNeverBreaksReading)
{
    const char junk[] =
        "\xff\xfe\x00[Plumark\n=\x01\x02\n[[]]\nkbps\n\\x\\\"=\"\n\x80 garbage \xc3\x28\n";
    test::writeFile(settingsFilePath(), QByteArray(junk, sizeof junk - 1));
    const QString value = ReadSetting(QStringLiteral("kbps"), QStringLiteral("128 kbps"));
    EXPECT_FALSE(value.isNull());
    EXPECT_EQ(ReadSetting(QStringLiteral("Option"), QStringLiteral("1")), QStringLiteral("1"));

    // The next write replaces the junk and is no failure.
    EXPECT_NO_THROW(WriteSetting(QStringLiteral("kbps"), QStringLiteral("192 kbps")));
    EXPECT_EQ(ReadSetting(QStringLiteral("kbps"), QStringLiteral("128 kbps")),
              QStringLiteral("192 kbps"));
}

TEST(Settings, AWriteTheStoreRefusesIsAFailure)
{
    // A folder standing where the file belongs cannot be written as one.
    const QString file = settingsFilePath();
    QFile::remove(file);
    ASSERT_TRUE(QDir().mkpath(file));
    EXPECT_THROW(WriteSetting(QStringLiteral("kbps"), QStringLiteral("192 kbps")), Failure);
    QDir().rmdir(file);
}

TEST(SettingsConversions, ReadNumbersAsWholeNumbersWithHalvesToEven)
{
    const QList<std::pair<QString, qint16>> cases = {
        {QStringLiteral("1"), 1},         {QStringLiteral("2"), 2},
        {QStringLiteral("7"), 7},         {QStringLiteral("1.4"), 1},
        {QStringLiteral("2.5"), 2},       {QStringLiteral("3.5"), 4},
        {QStringLiteral("-0.5"), 0},      {QStringLiteral(" 2 "), 2},
        {QStringLiteral("32767"), 32767}, {QStringLiteral("-32768"), -32768},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(toInteger16(text), value) << text.toStdString();
    for (const QString& text :
         {QStringLiteral("x"), QStringLiteral("70000"), QStringLiteral("32768"), QString(),
          QStringLiteral("1,5"), QStringLiteral("nan")})
        EXPECT_THROW(toInteger16(text), Failure) << text.toStdString();
}

TEST(SettingsConversions, ReadBooleanWordsAndNumbers)
{
    const QList<std::pair<QString, bool>> cases = {
        {QStringLiteral("True"), true},   {QStringLiteral("TRUE"), true},
        {QStringLiteral("false"), false}, {QStringLiteral("False"), false},
        {QStringLiteral("0"), false},     {QStringLiteral("-1"), true},
        {QStringLiteral("2"), true},      {QStringLiteral("0.0"), false},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(toBoolean(text), value) << text.toStdString();
    for (const QString& text :
         {QStringLiteral("yes"), QStringLiteral("Truth"), QString(), QStringLiteral("\x01garbage")})
        EXPECT_THROW(toBoolean(text), Failure) << text.toStdString();
    EXPECT_EQ(booleanText(true), QStringLiteral("True"));
    EXPECT_EQ(booleanText(false), QStringLiteral("False"));
}
