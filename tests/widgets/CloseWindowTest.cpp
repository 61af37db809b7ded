#include "TestForm.h"
#include "engine/ScopedEnvironment.h"

#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

using namespace plumark;
using namespace plumark::test;

using CloseWindow = WindowTest;

TEST_F(CloseWindow, EndsTheProgramMidRunAndLeavesTheConverterRunning)
{
    QTemporaryDir work;
    const QString finished = work.filePath(QStringLiteral("converter finished"));
    const QString input = work.filePath(QStringLiteral("in.m4a"));
    writeFile(input, "audio");
    ScopedEnvironment environment;
    environment.set("PLUMARK_FFMPEG",
                    writeScript(work.filePath(QStringLiteral("ffmpeg")),
                                QStringLiteral("sleep 1\necho done > '%1'\n").arg(finished))
                        .toUtf8());

    // The window closes from a timer while the run waits for its converter;
    // the child of the forked death test shares this test's folder.
    EXPECT_EXIT(
        {
            form.form().Form_Load();
            form.setOption(2, true);
            form.setFolderText(work.path() + QLatin1Char('/'));
            form.list().append(input);
            form.show();
            QTimer::singleShot(300, &form, [this] { form.close(); });
            control<QPushButton>("PushButton2")->click();
            std::abort();
        },
        ::testing::ExitedWithCode(0), "");

    for (int i = 0; i < 100 && !QFile::exists(finished); ++i)
        QThread::msleep(50);
    EXPECT_TRUE(QFile::exists(finished));
}
