// What a worker writes is read by the batch as it arrives: however the bytes
// are cut, the same replies come out, and bytes that are no reply end the
// conversation instead of being read as one.
#include "fuzz/FuzzInput.h"
#include "transcode/WorkerProtocol.h"

#include <QList>

using namespace plumark::transcode;
using plumark::fuzz::require;

namespace {

struct Read
{
    QList<WorkerReply> replies;
    bool malformed = false;
};

Read readAll(const QByteArray& bytes, qsizetype step)
{
    MessageReader reader;
    Read read;
    for (qsizetype at = 0; at < bytes.size(); at += step) {
        reader.append(bytes.mid(at, step));
        while (const std::optional<WorkerReply> reply = reader.nextReply())
            read.replies.append(*reply);
    }
    read.malformed = reader.malformed();
    return read;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const qsizetype step = 1 + data[0] % 16;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    const Read whole = readAll(bytes, bytes.size() + 1);
    const Read pieces = readAll(bytes, step);
    require(whole.replies.size() == pieces.replies.size() && whole.malformed == pieces.malformed,
            "the same replies however the bytes are cut");
    for (const WorkerReply& reply : whole.replies)
        require(reply.kind == WorkerReply::Kind::Progress ||
                    reply.kind == WorkerReply::Kind::Partial ||
                    reply.kind == WorkerReply::Kind::Result,
                "a reply is progress, a partial's name or a result");

    // A reply written by the protocol reads back as itself.
    WorkerReply result;
    result.kind = WorkerReply::Kind::Result;
    result.result.reason = QString::fromUtf8(bytes);
    const QByteArray payload = encodeReply(result);
    const quint32 length = quint32(payload.size());
    const Read back =
        readAll(QByteArray(reinterpret_cast<const char*>(&length), sizeof length) + payload, step);
    require(back.replies.size() == 1 && back.replies[0].result.reason == result.result.reason,
            "a written reply reads back");
    return 0;
}
