#include "TestForm.h"
#include "support/ScopedEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace plumark;
using namespace plumark::test;

namespace {

// The samples built beside the program, loaded with the button, answered
// "No", then converted with "Start Converting" into the given folder.
void convertSamplesInto(TestForm& form, const QString& output)
{
    form.show();
    form.findChild<QPushButton*>(QStringLiteral("PushButton5"))->click();
    EXPECT_EQ(form.questions.size(), 1);
    EXPECT_EQ(form.list().count(), 3);
    form.findChild<QPushButton*>(QStringLiteral("PushButton2"))->click();

    ASSERT_FALSE(form.messages.isEmpty());
    EXPECT_EQ(form.messages.last(), QStringLiteral("Done."));
    const QFileInfoList results =
        QDir(output).entryInfoList({QStringLiteral("*.ac3")}, QDir::Files);
    ASSERT_EQ(results.size(), 3);
    for (const QFileInfo& result : results)
        EXPECT_EQ(probeMedia(result.filePath()).codec, QStringLiteral("ac3"))
            << result.fileName().toStdString();
    EXPECT_EQ(form.progressBar().text(), QStringLiteral("Progress Bar"));
    EXPECT_EQ(form.mousePointer(), PointerDefault);
}

class SampleRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QDir(program + QStringLiteral("/Samples")).isEmpty())
            GTEST_SKIP() << "the sample files are not built";
        QFile::remove(settingsFilePath());
        form.form().setProgramFolder(program);
        form.form().randomSource = [] { return 0.0; };
    }

    const QString program = QStringLiteral(PLUMARK_BINARY_DIR);
    TestForm form;
};

} // namespace

TEST_F(SampleRun, ConvertsTheLoadedSamplesToAc3)
{
    QTemporaryDir output;
    form.form().Form_Load();
    form.setFolderText(output.path() + QLatin1Char('/'));
    form.form().Text1_Change();
    convertSamplesInto(form, output.path());
}

// A new account has no desktop folder: the default settings save the
// results in the home folder.
TEST_F(SampleRun, ANewAccountWithoutADesktopFolderConvertsWithTheDefaults)
{
    QTemporaryDir home;
    ScopedEnvironment env;
    env.set("HOME", home.path().toUtf8());
    form.form().Form_Load();
    EXPECT_EQ(form.findChild<QLineEdit*>(QStringLiteral("Text1"))->text(),
              home.path() + QLatin1Char('/'));
    convertSamplesInto(form, home.path());
    EXPECT_FALSE(QFileInfo::exists(home.filePath(QStringLiteral("Desktop"))));
}
