#include "TestForm.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace plumark;
using namespace plumark::test;

// The samples built beside the program, loaded with the button, answered
// "No", then converted with "Start Converting".
TEST(SampleRun, ConvertsTheLoadedSamplesToAc3)
{
    const QString program = QStringLiteral(PLUMARK_BINARY_DIR);
    if (QDir(program + QStringLiteral("/Samples")).isEmpty())
        GTEST_SKIP() << "the sample files are not built";
    QFile::remove(settingsFilePath());
    QTemporaryDir output;

    TestForm form;
    form.form().setProgramFolder(program);
    form.form().randomSource = [] { return 0.0; };
    form.form().Form_Load();
    form.setFolderText(output.path() + QLatin1Char('/'));
    form.form().Text1_Change();
    form.show();

    form.findChild<QPushButton*>(QStringLiteral("PushButton5"))->click();
    EXPECT_EQ(form.questions.size(), 1);
    EXPECT_EQ(form.list().count(), 3);
    form.findChild<QPushButton*>(QStringLiteral("PushButton2"))->click();

    ASSERT_FALSE(form.messages.isEmpty());
    EXPECT_EQ(form.messages.last(), QStringLiteral("Done."));
    const QFileInfoList results =
        QDir(output.path()).entryInfoList({QStringLiteral("*.ac3")}, QDir::Files);
    ASSERT_EQ(results.size(), 3);
    for (const QFileInfo& result : results)
        EXPECT_EQ(probeMedia(result.filePath()).codec, QStringLiteral("ac3"))
            << result.fileName().toStdString();
    EXPECT_EQ(form.progressBar().text(), QStringLiteral("Progress Bar"));
    EXPECT_EQ(form.mousePointer(), PointerDefault);
}
