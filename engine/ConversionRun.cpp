#include "base/ErrorReport.h"
#include "base/ResultFile.h"
#include "engine/BitRate.h"
#include "engine/CommandLine.h"
#include "engine/ConversionRules.h"
#include "engine/OutputClaims.h"
#include "engine/Paths.h"
#include "engine/RunAndWait.h"
#include "engine/Tools.h"
#include "shell/MainForm.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>

namespace plumark {

namespace {

// How much of a converter's error output is read for its last line.
constexpr qint64 ErrorTailBytes = 16 * 1024;

// A file's reason without the file's name, which the converter puts before
// its line as it was given: the listing names each file once.
QString reasonWithoutName(const NotConverted& file)
{
    const QString named = file.path + QStringLiteral(": ");
    return file.reason.startsWith(named) ? file.reason.mid(named.size()) : file.reason;
}

} // namespace

QString doneMessage(const QList<NotConverted>& notConverted)
{
    QString text = QCoreApplication::translate("Conversion", "Done.");
    if (notConverted.isEmpty())
        return text;
    text += QStringLiteral("\r\r") +
            (notConverted.size() == 1
                 ? QCoreApplication::translate("Conversion", "1 file could not be converted:")
                 : QCoreApplication::translate("Conversion", "%1 files could not be converted:")
                       .arg(notConverted.size())) +
            QStringLiteral("\r");
    for (const NotConverted& file : notConverted)
        text +=
            QStringLiteral("\r") + file.path + QStringLiteral("\r    ") + reasonWithoutName(file);
    return text;
}

namespace {

// The end of a converter's error output, where the cause of a failure stands.
QByteArray errorTail(const QString& logPath)
{
    QFile log(logPath);
    if (logPath.isEmpty() || !log.open(QIODevice::ReadOnly))
        return {};
    log.seek(std::max<qint64>(0, log.size() - ErrorTailBytes));
    return log.readAll();
}

// Leaves isConverting false however the run ends.
struct ConvertingFlag
{
    explicit ConvertingFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~ConvertingFlag() { m_flag = false; }
    bool& m_flag;
};

} // namespace

void MainForm::PushButton2_Click()
{
    if (isConverting)
        return;
    const ConvertingFlag converting(isConverting);
    m_notConverted.clear();

    Guard guard(m_window, identity::PushButton2_Click);
    const auto yield = [this] { m_window.yield(); };
    ProgressBar& bar = m_window.progressBar();

    if (guard.test(1, [&] { return m_list.count() == 0; })) {
        guard.step(2, [&] {
            m_window.message(QCoreApplication::translate("Conversion", "No files added."));
        });
        return;
    }
    if (guard.test(3, [&] {
            // Pressing Start has ended any editing of the folder text.
            m_finishedOutputFolder = m_window.folderText();
            return !FolderExists(m_finishedOutputFolder) && !m_window.option(4);
        })) {
        guard.step(4, [&] { m_window.message(folderMissingText()); });
        return;
    }
    guard.step(5, [&] { m_window.setMousePointer(PointerBusy); });

    // The tools, in a private folder of this run.
    QString addressWidth;
    QString converterTool;
    QString probeTool;
    guard.step(6, [&] { addressWidth = ProcessorAddressWidth(); });
    guard.step(7, [&] { converterTool = LoadResource(converterResourceFor(addressWidth)); });
    guard.step(8, yield);
    guard.step(9, [&] { m_tools = std::make_unique<ToolsFolder>(); });
    if (m_tools && !converterTool.isEmpty())
        guard.step(10, [&] { WriteBytesToFile(converterTool, m_tools->converterPath(), yield); });
    guard.step(11, [&] { probeTool = LoadResource(ProbeResource); });
    if (m_tools && !probeTool.isEmpty())
        guard.step(12, [&] { WriteBytesToFile(probeTool, m_tools->probePath(), yield); });

    QString converterPath;
    if (m_tools)
        guard.step(13, [&] { converterPath = m_tools->converterPath(); });

    int rowsAtStart = 0;
    // No result may replace a file listed now or an earlier result of this run.
    OutputClaims claims;
    guard.step(14, [&] {
        rowsAtStart = m_list.count();
        claims = OutputClaims(m_list.texts());
    });
    QString outputPath;
    QString rateToken;
    int converted = 0;
    for (int i = 1; i <= rowsAtStart; ++i) {
        guard.step(15, [&] {
            m_window.yield();
            m_window.setMousePointer(PointerBusy);
        });
        QString inputPath;
        // A row that can no longer be read has no file to convert.
        if (!guard.step(16, [&] { inputPath = m_list.text(i); }))
            continue;
        guard.step(17, [&] {
            const double share = static_cast<double>(i) / m_list.count() * 100.0;
            bar.setValue(std::min(share, 100.0));
        });
        guard.step(18, [&] {
            bar.setText(QCoreApplication::translate("Conversion", "Processing: ") +
                        FileNameOf(inputPath));
            m_window.yield();
        });
        guard.step(19, [&] {
            if (m_window.option(3)) {
                // The folder text as the user last finished it: a text being
                // typed names folders the user never chose. An empty text
                // never means the source's folder.
                outputPath = m_finishedOutputFolder.isEmpty()
                                 ? QString()
                                 : outputPathFor(inputPath, m_finishedOutputFolder);
            } else if (m_window.option(4)) {
                outputPath = outputPathFor(inputPath, QString());
            }
        });
        QString refusal;
        if (guard.test(20, [&] {
                refusal = outputFolderRefusal(outputPath);
                if (refusal.isEmpty())
                    refusal = refusalReason(inputPath, outputPath);
                if (refusal.isEmpty())
                    refusal = claims.claim(inputPath, outputPath);
                return !refusal.isEmpty();
            })) {
            m_notConverted.append({inputPath, refusal});
            continue;
        }
        guard.step(21, [&] { DeleteFileQuietly(outputPath, yield); });
        guard.step(22, [&] {
            if (m_window.option(1))
                rateToken = getAudioBitRate(inputPath);
            else if (m_window.option(2))
                rateToken = getBitRate(m_window.rateText());
        });
        CommandLine command;
        guard.step(23, [&] {
            command = converterCommand(converterPath, inputPath, rateToken, outputPath);
        });
        const QString logPath =
            m_tools ? m_tools->filePath(QStringLiteral("converter-%1.log").arg(i)) : QString();
        qint32 exitCode = 0;
        guard.step(24, [&] {
            exitCode = RunAndWait(command, 0, &bar, bar.text(), bar.value(),
                                  std::max(1, m_list.count()), yield, logPath);
        });
        // A failed conversion leaves no empty or truncated result behind.
        guard.step(25, [&] {
            const QString reason =
                conversionFailureReason(exitCode, outputPath, lastErrorLine(errorTail(logPath)));
            if (!logPath.isEmpty())
                QFile::remove(logPath);
            if (!reason.isEmpty()) {
                DeleteFileQuietly(outputPath, yield);
                m_notConverted.append({inputPath, reason});
            } else {
                // A result counts once it is on the disk, not only in the cache.
                syncWrittenFile(nativePath(outputPath));
                ++converted;
            }
        });
    }

    if (m_tools) {
        guard.step(26, [&] { DeleteFileQuietly(m_tools->converterPath(), yield); });
        guard.step(27, [&] { DeleteFileQuietly(m_tools->probePath(), yield); });
        guard.step(28, [&] { m_tools->remove(); });
        m_tools.reset();
    }
    guard.step(29, [&] { m_window.setMousePointer(PointerDefault); });
    guard.step(30, [&] {
        bar.setValue(0);
        bar.setText(QCoreApplication::translate("Conversion", "Progress Bar"));
    });
    guard.step(31, [&] { m_window.runEnded(converted, static_cast<int>(m_notConverted.size())); });
    guard.step(32, [&] { m_window.message(doneMessage(m_notConverted)); });
}

} // namespace plumark
