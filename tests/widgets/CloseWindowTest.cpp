#include "TestForm.h"
#include "support/ScopedEnvironment.h"

#include <QDir>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

using namespace plumark;
using namespace plumark::test;

using CloseWindow = WindowTest;

TEST_F(CloseWindow, ClosingMidRunLeavesTheConverterRunningAndTheNextStartTidiesUp)
{
    QTemporaryDir work;
    const QString started = work.filePath(QStringLiteral("converter started"));
    const QString finished = work.filePath(QStringLiteral("converter finished"));
    const QString input = work.filePath(QStringLiteral("in.m4a"));
    writeFile(input, "audio");
    ScopedEnvironment environment;
    environment.set(
        "PLUMARK_FFMPEG",
        writeScript(work.filePath(QStringLiteral("ffmpeg")),
                    // It outlives the window that started it.
                    QStringLiteral("touch '%1'\n"
                                   "while kill -0 $PPID 2>/dev/null; do sleep 0.05; done\n"
                                   "echo done > '%2'\n")
                        .arg(started, finished))
            .toUtf8());

    // The window closes once the converter has started, while the run waits
    // for it; the child of the forked death test shares this test's folder.
    EXPECT_EXIT(
        {
            form.form().Form_Load();
            form.setOption(2, true);
            form.setFolderText(work.path() + QLatin1Char('/'));
            form.list().append(input);
            form.show();
            QTimer watch;
            QObject::connect(&watch, &QTimer::timeout, &form, [&] {
                if (QFile::exists(started))
                    form.close();
            });
            watch.start(10);
            control<QPushButton>("PushButton2")->click();
            std::abort();
        },
        ::testing::ExitedWithCode(0), "");

    for (int i = 0; i < 600 && !QFile::exists(finished); ++i)
        QThread::msleep(50);
    EXPECT_TRUE(QFile::exists(finished));

    // The run's tools folder is left behind; the next start removes it.
    const QDir temp(qEnvironmentVariable("TEMP"));
    const QStringList left = temp.entryList({QStringLiteral("plumark-*")}, QDir::Dirs);
    ASSERT_EQ(left.size(), 1);
    form.form().Form_Load();
    EXPECT_FALSE(temp.exists(left.first()));
}
