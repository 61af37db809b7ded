#pragma once

#include "batch/ConverterOutput.h"
#include "batch/JobRun.h"
#include "engine/ChildProcess.h"

namespace plumark {

// The ffmpeg program run as a child for one file; its error output, read
// through a pipe, gives the progress and, when it fails, its last error line.
class ConverterRun : public JobRun
{
public:
    static std::unique_ptr<JobRun> start(const QString& converterPath, const BatchJob& job,
                                         QString* failure);
    ~ConverterRun() override;

    int fd() const override { return m_errorFd; }
    void read() override;
    bool ended() override;
    QString failure() override;
    double duration() const override { return m_progress.duration(); }
    double position() const override { return m_progress.position(); }
    void terminate() override { m_child.terminate(); }
    bool awaitStop() override;

private:
    explicit ConverterRun(QString output) : m_output(std::move(output)) {}
    void closeOutput();

    QString m_output;
    ChildProcess m_child;
    int m_errorFd = -1;
    LineSplitter m_lines;
    ConverterProgress m_progress;
    OutputTail m_tail;
};

} // namespace plumark
