// The README's recipes for converting one library on many machines, run here
// as written with this machine as every worker: the results equal those of
// one "plumark convert" run over the same library.
#include "support/Media.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace plumark {
namespace {

// The indented code blocks under the README's heading, each as one text.
QStringList readmeBlocks(const QString& heading)
{
    QFile readme(QStringLiteral(PLUMARK_SOURCE_DIR "/README.md"));
    if (!readme.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(readme.readAll());
    const QString section = text.section(QStringLiteral("\n## ") + heading + QLatin1Char('\n'), 1)
                                .section(QStringLiteral("\n## "), 0, 0);
    QStringList blocks;
    QString block;
    for (const QString& line : section.split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("    "))) {
            block += line.mid(4) + QLatin1Char('\n');
        } else if (!line.isEmpty() && !block.isEmpty()) {
            blocks.append(block);
            block.clear();
        }
    }
    if (!block.isEmpty())
        blocks.append(block);
    return blocks;
}

// A small library: nested albums, a name with blanks, one from an old disk.
void makeLibrary(const QString& root)
{
    test::makeM4a(root + QStringLiteral("/Album/01 Intro.m4a"), 0.5, 96);
    test::makeM4a(root + QStringLiteral("/Album/02 Song.m4a"), 0.5, 160);
    test::makeM4a(root + QStringLiteral("/Other/Disc 1/01 Intro.m4a"), 0.5, 64);
    test::makeM4a(root + QStringLiteral("/Other/Disc 1/plain.m4a"), 0.5);
    test::makeM4a(root + QStringLiteral("/loose.m4a"), 0.5);
    QFile::rename(root + QStringLiteral("/Other/Disc 1/plain.m4a"),
                  QFile::decodeName(QFile::encodeName(root) + "/Other/Disc 1/caf\xe9.m4a"));
}

// Every result under a folder by its name relative to it (each byte as one
// character), with its checksum.
QMap<QString, QString> resultsUnder(const QString& root)
{
    QProcess find;
    find.setWorkingDirectory(root);
    find.start(QStringLiteral("find"), {QStringLiteral("."), QStringLiteral("-name"),
                                        QStringLiteral("*.ac3"), QStringLiteral("-print0")});
    find.waitForFinished();
    QMap<QString, QString> results;
    for (const QByteArray& name : find.readAllStandardOutput().split('\0')) {
        if (name.isEmpty())
            continue;
        QProcess sum;
        sum.setWorkingDirectory(root);
        sum.start(QStringLiteral("sha256sum"), {QStringLiteral("--"), QFile::decodeName(name)});
        sum.waitForFinished();
        results.insert(QString::fromLatin1(name),
                       QString::fromLatin1(sum.readAllStandardOutput().left(64)));
    }
    return results;
}

// Runs a script with the built program first on PATH; returns its exit status.
int runScript(const QString& script, const QString& folder, const QStringList& environment,
              QString& output)
{
    QProcess shell;
    shell.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"),
               QStringLiteral(PLUMARK_BINARY_DIR ":") + env.value(QStringLiteral("PATH")));
    for (const QString& entry : environment)
        env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    shell.setProcessEnvironment(env);
    shell.setStandardInputFile(QProcess::nullDevice());
    shell.setProcessChannelMode(QProcess::MergedChannels);
    shell.start(QStringLiteral("sh"), {QStringLiteral("-ec"), script});
    shell.waitForFinished(300000);
    output = QString::fromUtf8(shell.readAll());
    return shell.exitStatus() == QProcess::NormalExit ? shell.exitCode() : -1;
}

class ManyMachines : public testing::Test
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("parallel")).isEmpty())
            GTEST_SKIP() << "GNU parallel is not installed (Debian package \"parallel\")";
        blocks = readmeBlocks(QStringLiteral("Many machines"));
        ASSERT_EQ(blocks.size(), 2) << "the recipe for GNU parallel and the Slurm script";
        makeLibrary(dir.filePath(QStringLiteral("one")));
        QString output;
        ASSERT_EQ(runScript(QStringLiteral("plumark convert ."),
                            dir.filePath(QStringLiteral("one")), {}, output),
                  0)
            << output.toStdString();
        expected = resultsUnder(dir.filePath(QStringLiteral("one")));
        ASSERT_EQ(expected.size(), 5);
        library = dir.filePath(QStringLiteral("library"));
        makeLibrary(library);
    }

    // The recipe with this machine for every host and the test's library.
    QString recipe(const QString& block) const
    {
        QString script = block;
        script.replace(
            QRegularExpression(QStringLiteral("^hosts=\\S+"), QRegularExpression::MultilineOption),
            QStringLiteral("hosts=:"));
        return script.replace(QStringLiteral("/srv/music"), library);
    }

    QTemporaryDir dir;
    QStringList blocks;
    QMap<QString, QString> expected;
    QString library;
};

TEST_F(ManyMachines, GnuParallelRecipeGivesTheResultsOfOneRunAndResumes)
{
    QString output;
    EXPECT_EQ(runScript(recipe(blocks[0]), dir.path(), {}, output), 0) << output.toStdString();
    EXPECT_EQ(resultsUnder(library), expected) << output.toStdString();

    // After an interruption only what is missing is converted.
    QFile::remove(library + QStringLiteral("/Album/02 Song.ac3"));
    EXPECT_EQ(runScript(recipe(blocks[0]), dir.path(), {}, output), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("Converted: 1 of 5"))) << output.toStdString();
    EXPECT_EQ(resultsUnder(library), expected);
}

TEST_F(ManyMachines, SlurmArrayTasksShareTheList)
{
    QString output;
    const QString list = blocks[0].section(QStringLiteral("cd "), 0, 0) +
                         QStringLiteral("cd '%1'\n").arg(library) +
                         QStringLiteral("find \"$PWD\" -name '*.m4a' -print0 > todo.list\n");
    ASSERT_EQ(runScript(list, dir.path(), {}, output), 0) << output.toStdString();
    // Three tasks of an array numbered from 4, one after the other.
    for (int task = 4; task <= 6; ++task) {
        EXPECT_EQ(runScript(blocks[1], library,
                            {QStringLiteral("SLURM_ARRAY_TASK_ID=%1").arg(task),
                             QStringLiteral("SLURM_ARRAY_TASK_MIN=4"),
                             QStringLiteral("SLURM_ARRAY_TASK_COUNT=3"),
                             QStringLiteral("SLURM_CPUS_PER_TASK=1")},
                            output),
                  0)
            << output.toStdString();
        EXPECT_TRUE(output.contains(task == 6 ? QStringLiteral("Converted: 1 of 1")
                                              : QStringLiteral("Converted: 2 of 2")))
            << output.toStdString();
    }
    EXPECT_EQ(resultsUnder(library), expected);
}

} // namespace
} // namespace plumark
