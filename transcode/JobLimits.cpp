#include "transcode/JobLimits.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

#include <QFile>
#include <algorithm>
#include <limits>
#include <sys/resource.h>

namespace plumark::transcode {

namespace {

// A result may run past its input's declared length by half as much again
// and a minute: far beyond what any real file's rounding or gap adds.
constexpr double DeclaredShare = 1.5;
constexpr double MarginSeconds = 60;
// No real format packs more than a second of audio into a byte (silent
// Opus, the densest, stays near a tenth).
constexpr double SecondsPerByte = 1.0;

int limitedFrameBuffer(AVCodecContext* decoder, AVFrame* frame, int flags)
{
    if (frame->nb_samples > MaxFrameSamples) {
        *static_cast<bool*>(decoder->opaque) = true;
        return AVERROR(ENOMEM);
    }
    return avcodec_default_get_buffer2(decoder, frame, flags);
}

QString seconds(double value)
{
    return QStringLiteral("%1 s").arg(value, 0, 'f', 1);
}

} // namespace

void capLibraryAllocations()
{
    av_max_alloc(size_t(JobMemoryBytes));
}

qint64 heldDataBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmData:"))
            return line.mid(7).trimmed().split(' ').constFirst().toLongLong() * 1024;
    return -1;
}

std::optional<rlimit> memoryCapAbove(qint64 heldBytes)
{
    rlimit limit{};
    if (heldBytes < 0 || ::getrlimit(RLIMIT_DATA, &limit) != 0)
        return std::nullopt;
    const rlim_t wanted = rlim_t(heldBytes + JobMemoryBytes);
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur <= wanted)
        return limit;
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
    return limit;
}

QString memoryLimitReason()
{
    return QStringLiteral("The input needs more memory than one conversion may use (%1 MB).")
        .arg(JobMemoryBytes >> 20);
}

void limitDecodedFrames(AVCodecContext* decoder, bool* refused)
{
    decoder->opaque = refused;
    decoder->get_buffer2 = limitedFrameBuffer;
}

OutputAllowance::OutputAllowance(const AVFormatContext& input, const AVStream& stream)
    : m_bytes(input.pb ? avio_size(input.pb) : -1)
{
    // A length estimated from the bit rate may be far off; only a declared
    // one bounds the result.
    if (input.duration_estimation_method != AVFMT_DURATION_FROM_BITRATE) {
        if (input.duration > 0)
            m_declared = double(input.duration) / AV_TIME_BASE;
        if (stream.duration > 0 && stream.time_base.num > 0)
            m_declared = std::max(m_declared, double(stream.duration) * av_q2d(stream.time_base));
    }
    double bound =
        m_bytes >= 0 ? double(m_bytes) * SecondsPerByte : std::numeric_limits<double>::infinity();
    if (m_declared > 0)
        bound = std::min(bound, m_declared * DeclaredShare);
    m_seconds = bound + MarginSeconds;
}

QString OutputAllowance::tableRefusal(const AVStream& stream) const
{
    if (m_bytes < 0 || stream.nb_frames <= m_bytes)
        return {};
    return QStringLiteral("The input declares %1 samples, more than its %2 bytes can hold.")
        .arg(stream.nb_frames)
        .arg(m_bytes);
}

QString OutputAllowance::reason(double outputSeconds) const
{
    if (m_declared > 0 && m_declared * DeclaredShare <= double(m_bytes) * SecondsPerByte)
        return QStringLiteral("The input gives far more audio than its own length (%1): "
                              "stopped at %2.")
            .arg(seconds(m_declared), seconds(outputSeconds));
    return QStringLiteral("The input gives far more audio than %1 bytes can hold: stopped at %2.")
        .arg(m_bytes)
        .arg(seconds(outputSeconds));
}

} // namespace plumark::transcode
