// Appending 100,000 rows to the list model: time and extra resident memory.
#include "filelist/FileList.h"

#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

using namespace plumark;

namespace {

constexpr int Rows = 100000;
constexpr double TargetSeconds = 0.5;
constexpr double TargetMegabytes = 60.0;

// The resident set size in kB, from /proc/self/status.
long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    // The file reports no size, so it is read whole rather than tested for its end.
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

} // namespace

int main()
{
    // Paths of a realistic length (about 80 characters), made beforehand.
    QStringList paths;
    paths.reserve(Rows);
    for (int i = 0; i < Rows; ++i)
        paths.append(QStringLiteral("/home/someone/Music/Some Artist/Some Album (2021)/%1 - A "
                                    "Track Title.m4a")
                         .arg(i, 6, 10, QLatin1Char('0')));
    // Each row gets a fresh copy, as the adding paths hand over new strings,
    // so the memory counted holds the texts themselves.
    const long before = residentKb();
    FileList list;
    QElapsedTimer clock;
    clock.start();
    for (const QString& path : paths)
        AddPathToList(list, QString(path.constData(), path.size()));
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double megabytes = (residentKb() - before) / 1024.0;

    const bool met =
        list.count() == Rows && seconds <= TargetSeconds && megabytes <= TargetMegabytes;
    std::printf("file list, %d rows appended (resident %ld kB before)\n", Rows, before);
    std::printf("  time %.3f s (target <= %.1f s), extra memory %.1f MB (target <= %.0f MB): %s\n",
                seconds, TargetSeconds, megabytes, TargetMegabytes, met ? "met" : "MISSED");
    return met ? 0 : 1;
}
