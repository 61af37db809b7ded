#include "support/Media.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace plumark::test {

namespace {

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setProgram(program);
    p.setArguments(args);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start();
    p.waitForFinished(120000);
    EXPECT_EQ(p.exitCode(), 0) << program.toStdString()
                               << " failed: " << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

void makeM4a(const QString& path, double seconds, int kbps, int channels)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString source =
        QStringLiteral("anoisesrc=d=%1:c=white:r=48000:a=0.5:seed=7").arg(seconds);
    run(QStringLiteral("ffmpeg"), {QStringLiteral("-nostdin"),
                                   QStringLiteral("-hide_banner"),
                                   QStringLiteral("-loglevel"),
                                   QStringLiteral("error"),
                                   QStringLiteral("-y"),
                                   QStringLiteral("-f"),
                                   QStringLiteral("lavfi"),
                                   QStringLiteral("-i"),
                                   source,
                                   QStringLiteral("-ac"),
                                   QString::number(channels),
                                   QStringLiteral("-c:a"),
                                   QStringLiteral("aac"),
                                   QStringLiteral("-b:a"),
                                   QStringLiteral("%1k").arg(kbps),
                                   QStringLiteral("-fflags"),
                                   QStringLiteral("+bitexact"),
                                   QStringLiteral("-flags:a"),
                                   QStringLiteral("+bitexact"),
                                   path});
}

void makeWave(const QString& path, double seconds)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    run(QStringLiteral("ffmpeg"),
        {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
         QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("anoisesrc=d=%1:c=white:r=48000:a=0.5:seed=7").arg(seconds),
         QStringLiteral("-fflags"), QStringLiteral("+bitexact"), path});
}

MediaInfo probeMedia(const QString& path)
{
    MediaInfo info;
    info.size = QFileInfo(path).size();
    const QString out =
        run(QStringLiteral("ffprobe"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
             QStringLiteral("stream=codec_name,bit_rate:format=duration"), QStringLiteral("-of"),
             QStringLiteral("default=nw=1"), path});
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        const QString key = line.section(QLatin1Char('='), 0, 0);
        const QString value = line.section(QLatin1Char('='), 1);
        if (key == QLatin1String("codec_name"))
            info.codec = value;
        else if (key == QLatin1String("bit_rate"))
            info.bitRate = value.toInt();
        else if (key == QLatin1String("duration"))
            info.duration = value.toDouble();
    }
    return info;
}

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
}

QString writeScript(const QString& path, const QString& body)
{
    writeFile(path, (QStringLiteral("#!/bin/sh\n") + body + QLatin1Char('\n')).toUtf8());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                    QFile::ReadGroup | QFile::ExeGroup);
    return path;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

} // namespace plumark::test
