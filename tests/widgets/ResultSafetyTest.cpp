#include "TestForm.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace plumark;
using namespace plumark::test;

using ResultSafety = WindowTest;

// Results saved to one folder that holds a listed ".ac3", with two inputs of
// one name from two album folders: no listed file and no earlier result is
// replaced, and every row left out is named with its reason.
TEST_F(ResultSafety, NoResultReplacesAListedFileOrAnEarlierResult)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString listedAc3 = out + QStringLiteral("/song.ac3");
    const QString song = dir.filePath(QStringLiteral("music/song.m4a"));
    const QString firstIntro = dir.filePath(QStringLiteral("Album A/01 Intro.m4a"));
    const QString secondIntro = dir.filePath(QStringLiteral("Album B/01 Intro.m4a"));
    makeM4a(song);
    makeM4a(firstIntro, 1.0);
    makeM4a(secondIntro, 2.0);
    QDir().mkpath(out);
    ASSERT_TRUE(QFile::copy(song, listedAc3));
    const QByteArray before = fileHash(listedAc3);

    form.form().Form_Load();
    for (const QString& row : {song, listedAc3, firstIntro, secondIntro})
        form.list().append(row);
    control<QRadioButton>("Option2")->click();
    control<QComboBox>("Combo1")->setCurrentText(QStringLiteral("192 kbps"));
    control<QRadioButton>("Option3")->click();
    control<QLineEdit>("Text1")->setText(out);
    form.show();
    control<QPushButton>("PushButton2")->click();

    EXPECT_EQ(fileHash(listedAc3), before);
    EXPECT_EQ(QDir(out).entryList(QDir::Files),
              (QStringList{QStringLiteral("01 Intro.ac3"), QStringLiteral("song.ac3")}));
    EXPECT_NEAR(probeMedia(out + QStringLiteral("/01 Intro.ac3")).duration, 1.0, 0.1);
    EXPECT_EQ(probeMedia(out + QStringLiteral("/01 Intro.ac3")).bitRate, 192000);
    ASSERT_EQ(form.messages.size(), 1);
    EXPECT_EQ(
        form.messages[0],
        QStringLiteral("Done.\r\r3 files could not be converted:\r") +
            QStringLiteral("\r%1\r    The result would replace the listed file \"%2\".")
                .arg(song, listedAc3) +
            QStringLiteral("\r%1\r    The result would replace the input file.").arg(listedAc3) +
            QStringLiteral("\r%1\r    The result would replace the result of \"%2\".")
                .arg(secondIntro, firstIntro));
}
