#include "transcode/WorkerProtocol.h"

#include <QDataStream>
#include <QIODevice>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace plumark::transcode {

namespace {

// A message longer than this is no message of ours.
constexpr quint32 MaxMessageBytes = 64 * 1024 * 1024;
constexpr qint32 MaxThreads = 1024;

QByteArray lengthPrefix(quint32 length)
{
    QByteArray prefix(sizeof length, '\0');
    std::memcpy(prefix.data(), &length, sizeof length);
    return prefix;
}

} // namespace

QByteArray encodeJob(const Ac3Job& job)
{
    QByteArray message;
    QDataStream stream(&message, QIODevice::WriteOnly);
    stream << job.input << job.output << job.rateToken.toUtf8() << qint8(job.container)
           << job.keepMatchingResult << qint8(job.task) << qint32(job.threads)
           << qint32(job.chunkFrames);
    return message;
}

Ac3Job decodeJob(const QByteArray& message)
{
    QDataStream stream(message);
    Ac3Job job;
    QByteArray rate;
    qint8 container = 0;
    qint8 task = 0;
    qint32 threads = 1;
    qint32 chunkFrames = 0;
    stream >> job.input >> job.output >> rate >> container >> job.keepMatchingResult >> task >>
        threads >> chunkFrames;
    job.rateToken = QString::fromUtf8(rate);
    if (container == qint8(Container::Matroska) || container == qint8(Container::Mp4))
        job.container = Container(container);
    if (task == qint8(Ac3Job::Task::Check) || task == qint8(Ac3Job::Task::Measure))
        job.task = Ac3Job::Task(task);
    // No more threads than a machine could have.
    job.threads = std::clamp<qint32>(threads, 1, MaxThreads);
    job.chunkFrames = std::max<qint32>(chunkFrames, 0);
    return job;
}

QByteArray encodeReply(const WorkerReply& reply)
{
    QByteArray message;
    QDataStream stream(&message, QIODevice::WriteOnly);
    stream << qint8(reply.kind);
    switch (reply.kind) {
    case WorkerReply::Kind::Progress:
        stream << reply.position << reply.duration;
        break;
    case WorkerReply::Kind::Partial:
        stream << reply.partial;
        break;
    case WorkerReply::Kind::Result:
        stream << reply.result.converted << reply.result.reason << reply.result.endedAt
               << reply.result.declaredLength << reply.result.kept;
        break;
    }
    return message;
}

std::optional<QByteArray> MessageReader::nextMessage()
{
    quint32 length = 0;
    if (m_malformed || m_buffer.size() < qsizetype(sizeof length))
        return std::nullopt;
    std::memcpy(&length, m_buffer.constData(), sizeof length);
    if (length > MaxMessageBytes) {
        m_malformed = true;
        return std::nullopt;
    }
    if (m_buffer.size() < qsizetype(sizeof length + length))
        return std::nullopt;
    QByteArray payload = m_buffer.mid(sizeof length, length);
    m_buffer.remove(0, sizeof length + length);
    return payload;
}

std::optional<WorkerReply> MessageReader::nextReply()
{
    const std::optional<QByteArray> message = nextMessage();
    if (!message)
        return std::nullopt;
    QDataStream stream(*message);
    qint8 kind = 0;
    WorkerReply reply;
    stream >> kind;
    reply.kind = WorkerReply::Kind(kind);
    bool known = true;
    switch (reply.kind) {
    case WorkerReply::Kind::Progress:
        stream >> reply.position >> reply.duration;
        break;
    case WorkerReply::Kind::Partial:
        stream >> reply.partial;
        break;
    case WorkerReply::Kind::Result:
        stream >> reply.result.converted >> reply.result.reason >> reply.result.endedAt >>
            reply.result.declaredLength >> reply.result.kept;
        break;
    default:
        known = false;
    }
    if (stream.status() != QDataStream::Ok || !known) {
        m_malformed = true;
        return std::nullopt;
    }
    return reply;
}

bool writeMessage(int fd, const QByteArray& payload)
{
    const QByteArray bytes = lengthPrefix(quint32(payload.size())) + payload;
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.constData() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += count;
    }
    return true;
}

std::optional<QByteArray> readMessage(int fd, MessageReader& reader)
{
    char buffer[4096];
    for (;;) {
        if (std::optional<QByteArray> message = reader.nextMessage())
            return message;
        if (reader.malformed())
            return std::nullopt;
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return std::nullopt;
        reader.append(QByteArray(buffer, count));
    }
}

} // namespace plumark::transcode
