// The run's own cost per row: 200 rows with a converter that writes one byte
// and exits at once. Prints the median and the spread of the time between the
// starts of two rows, over several runs.
#include "BenchWindow.h"
#include "filelist/FileList.h"
#include "shell/MainForm.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace plumark;

namespace {

constexpr int Rows = 200;
constexpr int Runs = 5;
constexpr double TargetMs = 10.0;

// Writes a file of the bench's own; one that cannot be written ends the bench.
void writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * (values.size() - 1))];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("TEMP", dir.path().toUtf8());

    const QString converter = dir.filePath(QStringLiteral("ffmpeg"));
    writeFile(converter, "#!/bin/sh\nprintf x > \"$7\"\n");
    QFile::setPermissions(converter, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PLUMARK_FFMPEG", converter.toUtf8());

    bench::BenchWindow window;
    window.setOption(2, true);
    window.rate = QStringLiteral("192 kbps");
    window.folder = dir.filePath(QStringLiteral("out"));
    QDir().mkpath(window.folder);
    FileList list;
    for (int i = 0; i < Rows; ++i) {
        const QString input = dir.filePath(QStringLiteral("in/song %1.m4a").arg(i));
        QDir().mkpath(dir.filePath(QStringLiteral("in")));
        writeFile(input, "m4a");
        AddPathToList(list, input);
    }
    MainForm form(window, list);

    std::vector<double> perRow;
    std::vector<double> wholeRuns;
    QElapsedTimer clock;
    qint64 lastStart = -1;
    QString lastText;
    window.bar.onText = [&](const QString& text) {
        // The wait sets the same text back at its end; a row starts with a new one.
        if (!text.startsWith(QLatin1String("Processing: ")) || text == lastText)
            return;
        lastText = text;
        const qint64 now = clock.nsecsElapsed();
        if (lastStart >= 0)
            perRow.push_back((now - lastStart) / 1e6);
        lastStart = now;
    };
    for (int run = 0; run < Runs; ++run) {
        window.messages.clear();
        lastStart = -1;
        lastText.clear();
        clock.start();
        form.PushButton2_Click();
        wholeRuns.push_back(clock.nsecsElapsed() / 1e6);
        if (window.messages != QStringList{QStringLiteral("Done.")}) {
            std::fprintf(stderr, "run %d did not end cleanly: %s\n", run,
                         qPrintable(window.messages.join(QLatin1Char('|'))));
            return 2;
        }
    }

    const double median = percentile(perRow, 0.5);
    std::printf("conversion run, %d rows x %d runs, fake converter\n", Rows, Runs);
    std::printf("  per row: median %.2f ms, p10 %.2f ms, p90 %.2f ms, max %.2f ms\n", median,
                percentile(perRow, 0.1), percentile(perRow, 0.9), percentile(perRow, 1.0));
    std::printf("  whole run: median %.0f ms (%.2f ms per row)\n", percentile(wholeRuns, 0.5),
                percentile(wholeRuns, 0.5) / Rows);
    std::printf("  target: median <= %.0f ms per row: %s\n", TargetMs,
                median <= TargetMs ? "met" : "MISSED");
    return median <= TargetMs ? 0 : 1;
}
