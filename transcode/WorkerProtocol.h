#pragma once

#include "transcode/Ac3Converter.h"

#include <QByteArray>
#include <optional>

namespace plumark::transcode {

// What a converter worker and the batch say to each other over two pipes.
// The batch writes jobs to the worker's standard input; the worker writes
// replies to its standard output. Every message is length-prefixed, so a
// path may hold any byte, a newline included.

// A job as bytes, and back.
QByteArray encodeJob(const Ac3Job& job);
Ac3Job decodeJob(const QByteArray& message);

// A worker's reply: how far the current file is, the name its partial
// result is written under, or how it ended.
struct WorkerReply
{
    enum class Kind : char { Progress = 'p', Partial = 'f', Result = 'r' };
    Kind kind = Kind::Progress;
    double position = 0;
    double duration = -1;
    QByteArray partial;
    Ac3Result result;
};

QByteArray encodeReply(const WorkerReply& reply);

// Collects bytes as they arrive and hands out each whole message.
class MessageReader
{
public:
    void append(const QByteArray& bytes) { m_buffer += bytes; }
    // The next whole message's payload, if one has fully arrived.
    std::optional<QByteArray> nextMessage();
    // The next whole reply; a malformed one ends the conversation (nullopt
    // with malformed() set).
    std::optional<WorkerReply> nextReply();
    bool malformed() const { return m_malformed; }

private:
    QByteArray m_buffer;
    bool m_malformed = false;
};

// Writes a whole message (a length and the payload) to a descriptor;
// false when the other end is gone.
bool writeMessage(int fd, const QByteArray& payload);

// Reads one whole message from a blocking descriptor, through the reader
// that keeps what arrived beyond it; nullopt at the descriptor's end.
std::optional<QByteArray> readMessage(int fd, MessageReader& reader);

} // namespace plumark::transcode
