#pragma once

#include <QString>
#include <optional>
#include <sys/resource.h>

extern "C" {
struct AVCodecContext;
struct AVFormatContext;
struct AVStream;
}

namespace plumark::transcode {

// What one conversion may take. Ordinary music stays far below each bound (a
// ten-hour input needs under 100 MB); a small crafted input that asks for
// more (tables of millions of samples, frames of minutes, a resampler for a
// rate of gigahertz) fails with the bound's reason instead of taking the
// machine's memory.

// The most memory one conversion may use, and so the most the library may
// ask for at once.
inline constexpr qint64 JobMemoryBytes = qint64(512) << 20;
// The most samples (per channel) one decoded frame may hold: real formats
// stay below 300,000.
inline constexpr int MaxFrameSamples = 1 << 20;

// Caps each allocation of FFmpeg's libraries in this process.
void capLibraryAllocations();

// The data (private writable memory) this process holds, in bytes; -1 when
// it cannot be read.
qint64 heldDataBytes();

// The cap on a process's data (RLIMIT_DATA) that leaves it JobMemoryBytes
// above heldBytes: for a converter, which takes one job at a time. A lower
// cap set by the user stays; none when the current cap cannot be read.
std::optional<rlimit> memoryCapAbove(qint64 heldBytes);

// Why a conversion that ran into a memory cap failed.
QString memoryLimitReason();

// Makes the decoder refuse frames above MaxFrameSamples. *refused is set
// when it does.
void limitDecodedFrames(AVCodecContext* decoder, bool* refused);

// How much audio a result may hold: its input's declared length with a
// margin, and never more than a second for each byte of the input (no real
// format packs more), the input's size bounding what its declared length
// may claim.
class OutputAllowance
{
public:
    // From the opened input and its audio stream.
    OutputAllowance(const AVFormatContext& input, const AVStream& stream);
    bool allows(double outputSeconds) const { return outputSeconds <= m_seconds; }
    // Why the stream cannot be what it declares (more packets than the file
    // has bytes: a table the library refused to hold); empty when it can.
    QString tableRefusal(const AVStream& stream) const;
    // Why a result that reached outputSeconds was stopped.
    QString reason(double outputSeconds) const;

private:
    qint64 m_bytes = -1;
    double m_declared = -1;
    double m_seconds = 0;
};

} // namespace plumark::transcode
