// Soak check, meant for the sanitized build (bench/soak.sh): runs the
// conversion of 2,000 rows with a converter that ends at once, and scans a
// tree of 100,000 files, each several times over, and prints the resident
// memory after every round. Memory must not grow from the second round (the
// first one warms up) to the last; LeakSanitizer checks what is left at exit.
//   soak [ROWS [ROUNDS [TREE_DIR]]]
#include "BenchWindow.h"
#include "filelist/AddFolder.h"
#include "filelist/FileList.h"
#include "shell/MainForm.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

using namespace plumark;

namespace {

// Growth from the second round to the last that still counts as none: room
// for the allocator's own bookkeeping.
constexpr double AllowedGrowthMb = 4.0;
constexpr int TreeFolders = 100; // per level, two levels
constexpr int TreeFiles = 10;    // per folder of the second level

// Resident memory in MB: "VmRSS" now or "VmHWM" at its peak.
double memoryMb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(line.find(':') + 1)) / 1024.0;
    return 0;
}

void touch(const QString& path, const QByteArray& bytes = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

int makeTree(const QString& root)
{
    int files = 0;
    for (int a = 0; a < TreeFolders; ++a)
        for (int b = 0; b < TreeFolders; ++b) {
            const QString folder = root + QStringLiteral("/Artist %1/Album %2").arg(a).arg(b);
            QDir().mkpath(folder);
            for (int f = 0; f < TreeFiles; ++f, ++files)
                touch(folder + QStringLiteral("/Track %1.m4a").arg(f));
        }
    return files;
}

// Prints the memory after each round and whether it grew.
bool report(const char* what, const QList<double>& afterRound, double seconds)
{
    std::printf("%s: %lld rounds in %.1f s; VmRSS after each round (MB):", what,
                static_cast<long long>(afterRound.size()), seconds);
    for (double mb : afterRound)
        std::printf(" %.1f", mb);
    const double growth = afterRound.constLast() - afterRound.at(1);
    const bool steady = growth <= AllowedGrowthMb;
    std::printf("; growth %.1f MB (allowed %.0f): %s\n", growth, AllowedGrowthMb,
                steady ? "none" : "GROWS");
    return steady;
}

bool soakRun(const QString& work, int rows, int rounds)
{
    const QString converter = work + QStringLiteral("/ffmpeg");
    touch(converter, "#!/bin/sh\nprintf ac3 > \"$7\"\n");
    QFile::setPermissions(converter, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PLUMARK_FFMPEG", converter.toUtf8());

    bench::BenchWindow window;
    window.setOption(2, true);
    window.rate = QStringLiteral("192 kbps");
    window.setOption(3, true);
    window.folder = work + QStringLiteral("/out");
    QDir().mkpath(window.folder);
    QDir().mkpath(work + QStringLiteral("/in"));
    FileList list;
    for (int i = 0; i < rows; ++i) {
        const QString input = work + QStringLiteral("/in/song %1.m4a").arg(i);
        touch(input, "m4a");
        AddPathToList(list, input);
    }
    MainForm form(window, list);

    QList<double> afterRound;
    QElapsedTimer clock;
    clock.start();
    for (int round = 0; round < rounds; ++round) {
        window.messages.clear();
        form.PushButton2_Click();
        if (window.messages != QStringList{QStringLiteral("Done.")}) {
            std::fprintf(stderr, "round %d did not convert every row: %s\n", round,
                         qPrintable(window.messages.join(QLatin1Char('|'))));
            return false;
        }
        afterRound.append(memoryMb("VmRSS:"));
    }
    return report(qPrintable(QStringLiteral("conversion run of %1 rows").arg(rows)), afterRound,
                  clock.elapsed() / 1000.0);
}

bool soakScan(const QString& tree, int rounds)
{
    if (!QDir(tree).exists()) {
        QElapsedTimer making;
        making.start();
        const int files = makeTree(tree);
        std::printf("made %d files in %.1f s\n", files, making.elapsed() / 1000.0);
    }
    bench::BenchWindow window;
    FileList list;
    QList<double> afterRound;
    QElapsedTimer clock;
    clock.start();
    int found = 0;
    for (int round = 0; round < rounds; ++round) {
        AddFolderTree(list, window, tree, QStringLiteral("*.*"));
        found = list.count();
        list.clear();
        afterRound.append(memoryMb("VmRSS:"));
    }
    std::printf("folder scan found %d files per round\n", found);
    return found == TreeFolders * TreeFolders * TreeFiles &&
           report("folder scan", afterRound, clock.elapsed() / 1000.0);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int rounds = std::max(2, argc > 2 ? std::atoi(argv[2]) : 4);
    QTemporaryDir work;
    qputenv("TEMP", work.path().toUtf8());
    const QString tree =
        argc > 3 ? QString::fromLocal8Bit(argv[3]) : work.path() + QStringLiteral("/tree");

    const bool runSteady = soakRun(work.path(), rows, rounds);
    const bool scanSteady = soakScan(tree, rounds);
    std::printf("VmHWM (peak) %.1f MB, VmRSS at the end %.1f MB\n", memoryMb("VmHWM:"),
                memoryMb("VmRSS:"));
    return runSteady && scanSteady ? 0 : 1;
}
