#include "engine/Tools.h"
#include "base/Failure.h"
#include "engine/ChildProcess.h"
#include "engine/Paths.h"
#include "engine/ToolsOwner.h"
#include "support/Media.h"
#include "support/ScopedEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace plumark;
using plumark::test::ScopedEnvironment;

namespace {

int modeOf(const QString& path)
{
    struct stat st;
    return ::lstat(nativePath(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

bool isLink(const QString& path)
{
    struct stat st;
    return ::lstat(nativePath(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Runs a program and returns its standard output, or empty when it failed.
QString outputOf(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

int converterId()
{
    return ProcessorAddressWidth() == QLatin1String("64") ? ConverterResource64
                                                          : ConverterResource32;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString failureOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Failure& e) {
        return e.description();
    }
    return QStringLiteral("<no failure>");
}

} // namespace

TEST(ToolsFolder, IsPrivateHoldsLinksToBothToolsAndIsGoneAfterRemove)
{
    ToolsFolder folder;
    const QString path = folder.path();
    EXPECT_EQ(ParentFolder(path), TemporaryFolder() + QLatin1Char('/'));
    EXPECT_TRUE(FileNameOf(path).startsWith(QLatin1String("plumark-")));
    EXPECT_EQ(modeOf(path), 0700);

    const QString converter = LoadResource(converterId());
    const QString probe = LoadResource(ProbeResource);
    WriteBytesToFile(converter, folder.converterPath());
    WriteBytesToFile(probe, folder.probePath());

    EXPECT_EQ(folder.converterPath(), path + QStringLiteral("/ffmpeg.exe"));
    EXPECT_EQ(folder.probePath(), path + QStringLiteral("/exiftool.exe"));
    ASSERT_TRUE(isLink(folder.converterPath()));
    ASSERT_TRUE(isLink(folder.probePath()));
    EXPECT_EQ(QFileInfo(folder.converterPath()).symLinkTarget(), converter);
    EXPECT_EQ(QFileInfo(folder.probePath()).symLinkTarget(), probe);
    EXPECT_FALSE(outputOf(folder.converterPath(), {QStringLiteral("-version")}).isEmpty());
    EXPECT_FALSE(outputOf(folder.probePath(), {QStringLiteral("-ver")}).isEmpty());

    folder.remove();
    EXPECT_FALSE(FolderExists(path));
    EXPECT_TRUE(FileExists(converter));
    EXPECT_TRUE(FileExists(probe));
    folder.remove();
}

TEST(ToolsFolder, DestructionRemovesTheFolderWithEverythingInIt)
{
    QString path;
    {
        ToolsFolder folder;
        path = folder.path();
        test::writeFile(folder.filePath(QStringLiteral("log.txt")), "converter said no\n");
        WriteBytesToFile(LoadResource(ProbeResource), folder.probePath());
    }
    EXPECT_FALSE(FolderExists(path));
}

TEST(ToolsFolder, ToolPlantedInTheTemporaryFolderIsNeitherRunNorDeleted)
{
    const QString temp = TemporaryFolder();
    const QString marker = temp + QStringLiteral("/planted-ran");
    const QString body = QStringLiteral("touch '%1'").arg(marker);
    const QString plantedConverter = test::writeScript(temp + QStringLiteral("/ffmpeg.exe"), body);
    const QString plantedProbe = test::writeScript(temp + QStringLiteral("/exiftool.exe"), body);
    const QByteArray converterHash = test::fileHash(plantedConverter);

    {
        ToolsFolder folder;
        WriteBytesToFile(LoadResource(converterId()), folder.converterPath());
        WriteBytesToFile(LoadResource(ProbeResource), folder.probePath());
        EXPECT_FALSE(outputOf(folder.converterPath(), {QStringLiteral("-version")}).isEmpty());
        EXPECT_FALSE(outputOf(folder.probePath(), {QStringLiteral("-ver")}).isEmpty());
    }

    EXPECT_FALSE(FileExists(marker));
    EXPECT_EQ(test::fileHash(plantedConverter), converterHash);
    EXPECT_TRUE(FileExists(plantedProbe));
}

TEST(ToolsFolder, EachRunHasItsOwnFolderThatOutlivesTheOthersRemoval)
{
    ToolsFolder first;
    ToolsFolder second;
    EXPECT_NE(first.path(), second.path());
    WriteBytesToFile(LoadResource(converterId()), first.converterPath());
    WriteBytesToFile(LoadResource(converterId()), second.converterPath());
    first.remove();
    EXPECT_TRUE(FileExists(second.converterPath()));
}

TEST(ToolsFolder, JoinsATemporaryFolderWithATrailingSlashCleanly)
{
    ScopedEnvironment env;
    env.set("TEMP", (TemporaryFolder() + QLatin1Char('/')).toUtf8());
    ToolsFolder folder;
    EXPECT_FALSE(folder.path().contains(QStringLiteral("//"))) << folder.path().toStdString();
    EXPECT_TRUE(FolderExists(folder.path()));
}

TEST(WriteBytesToFile, UsesAFileAlreadyAtThePathUnchanged)
{
    ToolsFolder folder;
    test::writeFile(folder.probePath(), "stale probe");
    int yields = 0;
    WriteBytesToFile(LoadResource(ProbeResource), folder.probePath(), [&] { ++yields; });
    EXPECT_EQ(yields, 1);
    EXPECT_FALSE(isLink(folder.probePath()));
    QFile file(folder.probePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("stale probe"));
}

TEST(WriteBytesToFile, FailsNamingThePathWhenTheFileCannotBeMade)
{
    const QString path = TemporaryFolder() + QStringLiteral("/missing-folder/ffmpeg.exe");
    const QString description =
        failureOf([&] { WriteBytesToFile(LoadResource(converterId()), path); });
    EXPECT_TRUE(description.contains(path)) << description.toStdString();
    EXPECT_FALSE(FileExists(path));
}

TEST(LoadResource, NamesTheDebianPackageWhenAToolIsMissing)
{
    QTemporaryDir empty;
    const QString notExecutable = empty.filePath(QStringLiteral("not-executable"));
    test::writeFile(notExecutable, "#!/bin/sh\n");
    const QString ffmpegHint = QStringLiteral("Install the Debian package \"ffmpeg\".");
    const QString exiftoolHint =
        QStringLiteral("Install the Debian package \"libimage-exiftool-perl\".");

    struct Case
    {
        const char* variable; // nullptr: neither variable set, an empty PATH
        QString value;
        int id;
        QString hint;
    };
    const QList<Case> cases = {
        {"PLUMARK_FFMPEG", QStringLiteral("/nonexistent/ffmpeg"), ConverterResource64, ffmpegHint},
        {"PLUMARK_FFMPEG", notExecutable, ConverterResource32, ffmpegHint},
        {"PLUMARK_EXIFTOOL", QStringLiteral("/nonexistent/exiftool"), ProbeResource, exiftoolHint},
        {nullptr, {}, ConverterResource64, ffmpegHint},
        {nullptr, {}, ProbeResource, exiftoolHint},
    };
    for (const Case& c : cases) {
        ScopedEnvironment env;
        env.unset("PLUMARK_FFMPEG");
        env.unset("PLUMARK_EXIFTOOL");
        if (c.variable)
            env.set(c.variable, c.value.toUtf8());
        else
            env.set("PATH", empty.path().toUtf8());
        const QString description = failureOf([&] { LoadResource(c.id); });
        EXPECT_TRUE(description.endsWith(c.hint)) << description.toStdString();
        if (c.variable) {
            EXPECT_TRUE(description.contains(c.value)) << description.toStdString();
        }
    }
}

TEST(LoadResource, GivesAnAbsolutePathForAToolNamedRelatively)
{
    QTemporaryDir dir;
    const QString script =
        test::writeScript(dir.filePath(QStringLiteral("fake-probe")), QStringLiteral("exit 0"));
    ScopedEnvironment env;
    env.set("PLUMARK_EXIFTOOL", QByteArray("fake-probe"));
    const QString current = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const QString found = LoadResource(ProbeResource);
    QDir::setCurrent(current);
    EXPECT_EQ(found, QFileInfo(script).absoluteFilePath());
}

TEST(TemporaryFolder, FollowsTempThenTmpdirThenTmp)
{
    struct Case
    {
        const char* temp; // nullptr: unset
        const char* tmpdir;
        QString expected;
    };
    const QList<Case> cases = {
        {"/t/temp", "/t/tmpdir", QStringLiteral("/t/temp")},
        {nullptr, "/t/tmpdir", QStringLiteral("/t/tmpdir")},
        {"", "/t/tmpdir", QStringLiteral("/t/tmpdir")},
        {nullptr, nullptr, QStringLiteral("/tmp")},
    };
    for (const Case& c : cases) {
        ScopedEnvironment env;
        for (auto [name, value] : {std::pair{"TEMP", c.temp}, std::pair{"TMPDIR", c.tmpdir}}) {
            if (value)
                env.set(name, value);
            else
                env.unset(name);
        }
        EXPECT_EQ(TemporaryFolder(), c.expected);
    }
}

TEST(ToolsFolder, IsMadeInTmpWhenNoTemporaryFolderIsNamed)
{
    ScopedEnvironment env;
    env.unset("TEMP");
    env.unset("TMPDIR");
    ToolsFolder folder;
    EXPECT_EQ(ParentFolder(folder.path()), QStringLiteral("/tmp/"));
    EXPECT_TRUE(FolderExists(folder.path()));
    const QString path = folder.path();
    folder.remove();
    EXPECT_FALSE(FolderExists(path));
}

TEST(ToolsFolder, FailsNamingAnUnusableTemporaryFolder)
{
    const QString file = TemporaryFolder() + QStringLiteral("/a-plain-file");
    test::writeFile(file, "not a folder");
    for (const QString& temp : {file, TemporaryFolder() + QStringLiteral("/missing")}) {
        ScopedEnvironment env;
        env.set("TEMP", temp.toUtf8());
        const QString description = failureOf([] { ToolsFolder folder; });
        EXPECT_TRUE(description.contains(QLatin1Char('"') + temp + QLatin1Char('"')))
            << description.toStdString();
    }
}

// Tools folders left by runs that were cut short: only this user's folders
// whose recorded owner has ended go; a live run's folder stays.
TEST(RemoveEndedToolsFolders, RemovesOnlyThisUsersFoldersWhoseOwnerHasEnded)
{
    QTemporaryDir temp;
    QTemporaryDir elsewhere;
    ScopedEnvironment env;
    env.set("TEMP", temp.path().toUtf8());
    const auto folderWith = [](const QString& folder, const QByteArray& record) {
        QDir().mkpath(folder);
        if (!record.isNull())
            test::writeFile(folder + QStringLiteral("/owner"), record);
        return folder;
    };

    ChildProcess child;
    ASSERT_EQ(child.start({QStringLiteral("/bin/sleep"), QStringLiteral("30")}), 0);
    const QByteArray endedRecord = processRecord(child.pid()) + '\n';
    child.terminate();
    ASSERT_TRUE(child.waitFor(10000));
    const QByteArray ownRecord = processRecord(::getpid()) + '\n';
    QList<QByteArray> fields = ownRecord.split(' ');
    ASSERT_EQ(fields.size(), 3);
    fields[1] = "1"; // this process's id, given earlier to another process
    const QByteArray reusedRecord = fields.join(' ');

    ToolsFolder live;
    EXPECT_EQ(readAll(live.filePath(QStringLiteral("owner"))), ownRecord);
    struct Case
    {
        QString name;
        QByteArray record; // null: none
        bool removed;
    };
    const QList<Case> cases = {
        {QStringLiteral("plumark-ended1"), endedRecord, true},
        {QStringLiteral("plumark-reused"), reusedRecord, true},
        {QStringLiteral("plumark-livein"), ownRecord, false},
        {QStringLiteral("plumark-norec1"), QByteArray(), false},
        {QStringLiteral("plumark-halfwr"), endedRecord.chopped(1), false},
        {QStringLiteral("plumark-garbag"), QByteArray("no record\n"), false},
        {QStringLiteral("plumark-longer1"), endedRecord, false},
        {QStringLiteral("scanner-ended1"), endedRecord, false},
    };
    for (const Case& c : cases)
        folderWith(temp.filePath(c.name), c.record);
    // A link to an ended run's folder elsewhere is neither followed nor removed.
    const QString target = folderWith(elsewhere.filePath(QStringLiteral("t")), endedRecord);
    ASSERT_TRUE(QFile::link(target, temp.filePath(QStringLiteral("plumark-linked"))));
    // Another user's folder, where this test may give one away (as root);
    // otherwise the folder would be this user's own and is not made.
    const QString foreign =
        folderWith(temp.filePath(QStringLiteral("plumark-foreig")), endedRecord);
    const bool foreignMade =
        ::geteuid() == 0 && ::chown(nativePath(foreign).constData(), 65534, 65534) == 0;
    if (!foreignMade)
        QDir(foreign).removeRecursively();

    EXPECT_EQ(RemoveEndedToolsFolders(), 2);

    for (const Case& c : cases)
        EXPECT_EQ(FolderExists(temp.filePath(c.name)), !c.removed) << c.name.toStdString();
    EXPECT_TRUE(FolderExists(live.path()));
    EXPECT_TRUE(isLink(temp.filePath(QStringLiteral("plumark-linked"))));
    EXPECT_TRUE(FolderExists(target));
    if (foreignMade) {
        EXPECT_TRUE(FolderExists(foreign));
    }
}

TEST(ProcessorAddressWidth, IsSixtyFourForASixtyFourBitBuild)
{
    if (sizeof(void*) != 8)
        GTEST_SKIP() << "a 32-bit build may run on either system";
    EXPECT_EQ(ProcessorAddressWidth(), QStringLiteral("64"));
}
