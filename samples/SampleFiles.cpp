#include "samples/SampleFiles.h"

#include "base/ErrorReport.h"
#include "engine/Paths.h"
#include "filelist/AddFolder.h"
#include "shell/MainForm.h"
#include "shell/Settings.h"

#include <QCoreApplication>
#include <QStringDecoder>

namespace plumark {

namespace {

constexpr auto SampleListKey = "SampleList";

// Walks the bytes with the key, combining each pair with step.
template <class Step>
QByteArray walk(const QByteArray& bytes, const QString& key, const std::function<void()>& yield,
                Step step)
{
    const QByteArray keyBytes = key.toUtf8();
    if (keyBytes.isEmpty())
        throw Failure(QStringLiteral("The scrambling key is empty"));
    QByteArray out;
    out.reserve(bytes.size());
    qsizetype position = 0;
    for (const char c : bytes) {
        if (yield)
            yield();
        const int a = static_cast<unsigned char>(c);
        const int b = static_cast<unsigned char>(keyBytes[position]);
        position = (position + 1) % keyBytes.size();
        out.append(static_cast<char>(step(a, b)));
    }
    return out;
}

} // namespace

QString ScrambleText(const QString& text, const QString& key, const std::function<void()>& yield)
{
    const QByteArray out = walk(text.toUtf8(), key, yield, [](int a, int b) {
        const int v = a + b;
        return v > 255 ? v - 255 : v;
    });
    return QString::fromLatin1(out);
}

QString UnscrambleText(const QString& text, const QString& key, const std::function<void()>& yield)
{
    const QByteArray out = walk(text.toLatin1(), key, yield, [](int a, int b) {
        const int v = a - b;
        return v < 1 ? v + 255 : v;
    });
    // A leading byte order mark is kept: it was part of the scrambled text.
    QStringDecoder toText(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return toText(out);
}

QString sampleFolder(const QString& programFolder)
{
    return CollapseBackslashes(programFolder + QStringLiteral("/Samples"));
}

void BuildSampleList(const QString& programFolder, Reporter& reporter)
{
    const QString folder = sampleFolder(programFolder);
    QStringList paths;
    for (const QString& name : GetFilesInFolder(folder, QStringLiteral("*.*")))
        paths.append(folder + QLatin1Char('/') + name);
    const QString text = paths.join(QLatin1Char('|'));
    WriteSetting(QString::fromLatin1(SampleListKey),
                 ScrambleText(text, QString::fromLatin1(SampleKey), [&] { reporter.yield(); }));
}

void BuildSampleList(MainForm& form)
{
    BuildSampleList(form.programFolder(), form.window());
}

void LoadSampleFiles(FileList& list, Window& window, const QString& programFolder)
{
    const QString text = UnscrambleText(ReadSetting(QString::fromLatin1(SampleListKey), QString()),
                                        QString::fromLatin1(SampleKey), [&] { window.yield(); });
    const QStringList parts = text.isEmpty() ? QStringList() : text.split(QLatin1Char('|'));
    for (const QString& part : parts) {
        if (FileExists(part) && !IsPathInList(list, part))
            AddPathToList(list, part);
    }
    if (window.question(QCoreApplication::translate(
            "Samples",
            "Would you like this software to open the folder where these sample files are "
            "stored (so that you can view them before working with them)?")))
        window.openExternally(sampleFolder(programFolder));
}

void MainForm::PushButton5_Click()
{
    Guard guard(m_window, identity::PushButton5_Click);
    guard.step(1, [&] { LoadSampleFiles(m_list, m_window, programFolder()); });
}

} // namespace plumark
