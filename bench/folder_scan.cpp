// Folder scan benchmark: makes a tree of folders and files, or scans one with
// the pattern "*.*" and appends every row, printing the time, the extra
// memory and the largest gap between yields while the folders are collected.
//   folder_scan make DIR [FOLDERS_PER_LEVEL FILES_PER_FOLDER]
//   folder_scan scan DIR
#include "../tests/support/FakeWindow.h"
#include "filelist/AddFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

using namespace plumark;
using Clock = std::chrono::steady_clock;

namespace {

// Resident memory in kB: "VmRSS" now or "VmHWM" at its peak.
long memoryKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(line.find(':') + 1));
    }
    return 0;
}

int make(const QString& root, int perLevel, int filesPerFolder)
{
    int files = 0;
    for (int a = 0; a < perLevel; ++a) {
        const QString top = root + QStringLiteral("/Artist %1").arg(a, 3, 10, QLatin1Char('0'));
        for (int b = 0; b < perLevel; ++b) {
            const QString album = top + QStringLiteral("/Album %1").arg(b, 3, 10, QLatin1Char('0'));
            QDir().mkpath(album);
            for (int f = 0; f < filesPerFolder; ++f) {
                QFile file(album + QStringLiteral("/Track %1.m4a").arg(f, 2, 10, QLatin1Char('0')));
                if (!file.open(QIODevice::WriteOnly))
                    return 1;
                ++files;
            }
        }
    }
    std::printf("made %d files in %d folders\n", files, perLevel * perLevel + perLevel + 1);
    return 0;
}

int scan(const QString& root)
{
    test::FakeWindow window;
    FileList list;
    Clock::time_point last = Clock::now();
    const Clock::time_point start = last;
    Clock::duration largestGap{};
    window.onYield = [&] {
        const Clock::time_point now = Clock::now();
        largestGap = std::max(largestGap, now - last);
        last = now;
    };
    const long before = memoryKb("VmRSS:");
    AddFolderTree(list, window, root, QStringLiteral("*.*"));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const long peak = memoryKb("VmHWM:");
    const double gapMs = std::chrono::duration<double, std::milli>(largestGap).count();
    // The last yield ends the collection of folders; the files follow.
    const double collectSeconds = std::chrono::duration<double>(last - start).count();
    std::printf("rows %d\nscan_seconds %.3f\ncollect_seconds %.3f\nyields %d\n"
                "largest_yield_gap_ms %.2f\nextra_memory_mb %.1f\n",
                list.count(), seconds, collectSeconds, window.yields, gapMs,
                (peak - before) / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("make"))
        return make(args[2], args.size() > 3 ? args[3].toInt() : 100,
                    args.size() > 4 ? args[4].toInt() : 10);
    if (args.size() >= 3 && args[1] == QLatin1String("scan"))
        return scan(args[2]);
    std::fprintf(stderr, "usage: folder_scan make DIR [PER_LEVEL FILES] | scan DIR\n");
    return 2;
}
