// Jobs and replies between the batch and its workers arrive whole and
// unchanged, however the pipe cuts them and whatever bytes a path holds.
#include "transcode/WorkerProtocol.h"

#include <QList>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace plumark::transcode;

namespace {

TEST(WorkerProtocol, AJobWithAnyPathComesThroughAPipe)
{
    // A newline, quotes and bytes that are no UTF-8 at all.
    Ac3Job job{QByteArray("/music/two\nlines \"quoted\" $HOME \xff\xfe.m4a"),
               QByteArray("/out/-dash \xc3\xbcn\xc3\xaf"
                          "code.ac3"),
               QStringLiteral("129k"),
               Container::Mp4,
               true,
               Ac3Job::Task::Check};
    job.threads = 3;
    job.chunkFrames = 40;
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_TRUE(writeMessage(fds[1], encodeJob(job)));
    ASSERT_TRUE(writeMessage(fds[1], encodeJob({})));
    ::close(fds[1]);

    MessageReader reader;
    const std::optional<QByteArray> first = readMessage(fds[0], reader);
    const std::optional<QByteArray> second = readMessage(fds[0], reader);
    const std::optional<QByteArray> end = readMessage(fds[0], reader);
    ::close(fds[0]);
    ASSERT_TRUE(first && second);
    const Ac3Job read = decodeJob(*first);
    EXPECT_EQ(read.input, job.input);
    EXPECT_EQ(read.output, job.output);
    EXPECT_EQ(read.rateToken, job.rateToken);
    EXPECT_EQ(read.container, Container::Mp4);
    EXPECT_TRUE(read.keepMatchingResult);
    EXPECT_EQ(read.task, Ac3Job::Task::Check);
    EXPECT_EQ(read.threads, 3);
    EXPECT_EQ(read.chunkFrames, 40);
    EXPECT_TRUE(decodeJob(*second).input.isEmpty());
    EXPECT_EQ(decodeJob(*second).container, Container::Ac3);
    EXPECT_FALSE(decodeJob(*second).keepMatchingResult);
    EXPECT_EQ(decodeJob(*second).task, Ac3Job::Task::Convert);
    EXPECT_EQ(decodeJob(*second).threads, 1);
    EXPECT_FALSE(end);
}

TEST(WorkerProtocol, RepliesCutAnywhereArriveWhole)
{
    WorkerReply progress;
    progress.position = 12.5;
    progress.duration = 240;
    WorkerReply partial;
    partial.kind = WorkerReply::Kind::Partial;
    partial.partial = QByteArray("/out/.a\nb.Xy12Zq.partial.ac3");
    WorkerReply result;
    result.kind = WorkerReply::Kind::Result;
    result.result = {true, {}, 243.5, 600, true};
    QByteArray bytes;
    for (const WorkerReply& reply : {progress, partial, result}) {
        const QByteArray payload = encodeReply(reply);
        const quint32 length = quint32(payload.size());
        bytes += QByteArray(reinterpret_cast<const char*>(&length), sizeof length) + payload;
    }

    MessageReader reader;
    QList<WorkerReply> replies;
    for (char byte : bytes) {
        reader.append(QByteArray(1, byte));
        while (const std::optional<WorkerReply> reply = reader.nextReply())
            replies.append(*reply);
    }
    ASSERT_EQ(replies.size(), 3);
    EXPECT_EQ(replies[0].kind, WorkerReply::Kind::Progress);
    EXPECT_EQ(replies[0].position, 12.5);
    EXPECT_EQ(replies[0].duration, 240);
    EXPECT_EQ(replies[1].kind, WorkerReply::Kind::Partial);
    EXPECT_EQ(replies[1].partial, partial.partial);
    EXPECT_EQ(replies[2].kind, WorkerReply::Kind::Result);
    EXPECT_TRUE(replies[2].result.converted);
    EXPECT_EQ(replies[2].result.endedAt, 243.5);
    EXPECT_EQ(replies[2].result.declaredLength, 600);
    EXPECT_TRUE(replies[2].result.kept);
    EXPECT_FALSE(reader.malformed());
}

TEST(WorkerProtocol, AnImpossibleLengthEndsTheConversation)
{
    MessageReader reader;
    reader.append(QByteArray("\xff\xff\xff\xff", 4));
    EXPECT_FALSE(reader.nextReply());
    EXPECT_TRUE(reader.malformed());
}

} // namespace
