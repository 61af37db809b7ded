#pragma once

#include "base/UniqueFd.h"

#include "batch/JobRun.h"
#include "engine/ChildProcess.h"
#include "transcode/Ac3Converter.h"
#include "transcode/WorkerProtocol.h"

#include <functional>
#include <memory>
#include <vector>

namespace plumark {

// Long-lived converter worker processes, each converting one file at a time
// with the in-process converter. A worker is a copy of this process running the
// worker's body, so that starting one costs no program start. A worker that dies (a decoder fault)
// fails its file with "the decoder crashed", and one that reports nothing for the stall limit (an
// input that blocks) is ended and fails its file; a fresh worker takes the next file and the
// batch goes on.
class WorkerPool
{
public:
    class Worker;

    // body: what a worker runs (transcode::runConverterWorker), ending with its
    // exit status.
    using Body = std::function<int()>;
    WorkerPool(Body body, int size, const Supervision& supervision = converterSupervision());
    // Ends every worker: an idle one at the end of its job pipe, a busy one
    // by a stop.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Hands the job to an idle worker, starting one where none runs. Returns
    // nullptr, with the reason in failure, when no worker can take it.
    Worker* start(const transcode::Ac3Job& job, QString* failure);

private:
    std::vector<std::unique_ptr<Worker>> m_workers;
};

class WorkerPool::Worker
{
public:
    Worker(Body body, const Supervision& supervision) : m_body(std::move(body))
    {
        m_process.supervise(supervision);
    }
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    bool idle() const { return !m_busy; }
    // The descriptor that becomes readable when the worker has news.
    int replyFd() const { return m_replyFd.get(); }
    pid_t pid() const { return m_process.pid(); }

    // Takes in the replies that arrived, without waiting. A worker that
    // ended without a result has crashed.
    void read();
    // True once the job is over; a worker silent for too long is ended here.
    bool ended();
    double position() const { return m_position; }
    double duration() const { return m_duration; }
    // The job's result, once ended.
    const transcode::Ac3Result& result() const { return m_result; }
    // Makes the worker idle again after its job ended.
    void release() { m_busy = false; }

    // Stops the job: asks the worker to end, then waits for it (ending it by
    // force if it will not). True when the job had already been converted.
    void terminate();
    bool awaitStop();

private:
    friend class WorkerPool;
    bool launch();
    bool send(const transcode::Ac3Job& job);
    void endWithoutResult();
    void endIfStalled();
    void closePipes();

    Body m_body;
    ChildProcess m_process;
    UniqueFd m_jobFd;
    UniqueFd m_replyFd;
    transcode::MessageReader m_reader;
    bool m_busy = false;
    bool m_ended = false;
    bool m_stopping = false;
    QByteArray m_output;
    QByteArray m_partial; // what the worker writes the result under, once it says
    double m_position = 0;
    double m_duration = -1;
    transcode::Ac3Result m_result;
};

} // namespace plumark
