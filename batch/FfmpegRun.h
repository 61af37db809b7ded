#pragma once

#include "base/ResultFile.h"
#include "batch/ConverterOutput.h"
#include "batch/JobRun.h"
#include "engine/ChildProcess.h"

namespace plumark {

// The ffmpeg program run as a child for one file; its error output, read
// through a pipe, gives the progress and, when it fails, its last error line.
// It writes the result through a descriptor the batch created (it never opens
// a name in the output folder, where another user could plant a link), under
// the same limits, stall rule and stop order as a converter worker.
class FfmpegRun : public JobRun
{
public:
    static std::unique_ptr<JobRun> start(const QString& converterPath, const BatchJob& job,
                                         QString* failure,
                                         const Supervision& supervision = converterSupervision());
    ~FfmpegRun() override;

    int fd() const override { return m_errorFd; }
    void read() override;
    bool ended() override;
    QString failure() override;
    std::pair<double, double> earlyEnd() override;
    double duration() const override { return m_progress.duration(); }
    double position() const override { return m_progress.position(); }
    void terminate() override { m_child.terminate(); }
    bool awaitStop() override;

private:
    explicit FfmpegRun(QByteArray output) : m_output(std::move(output)) {}
    void closeOutput();

    QByteArray m_output;
    ResultFile m_result; // what the converter writes, renamed to m_output once whole
    bool m_committed = false;
    bool m_stalled = false;
    QString m_commitProblem;
    ChildProcess m_child;
    int m_errorFd = -1;
    LineSplitter m_lines;
    ConverterProgress m_progress;
    OutputTail m_tail;
};

} // namespace plumark
