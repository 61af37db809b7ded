#pragma once

#include <QString>

namespace plumark::test {

// Makes a small M4A (AAC) file with the real ffmpeg from a noise source with
// a fixed seed, so the same call always gives the same file. Mono white noise
// at 48 kHz keeps the average rate the probe reports at the rate asked.
void makeM4a(const QString& path, double seconds = 1.0, int kbps = 128, int channels = 1);

// Makes a small WAV file (16-bit PCM, mono, 48 kHz) with the real ffmpeg:
// an input whose own rate only the probe reads.
void makeWave(const QString& path, double seconds = 1.0);

// What ffprobe reads from a file.
struct MediaInfo
{
    QString codec;
    int bitRate = 0;
    double duration = 0;
    qint64 size = 0;
};
MediaInfo probeMedia(const QString& path);

// A checksum of a file's bytes.
QByteArray fileHash(const QString& path);

// Writes an executable script (a fake tool) and returns its path.
QString writeScript(const QString& path, const QString& body);

// Writes bytes to a file, making folders as needed.
void writeFile(const QString& path, const QByteArray& bytes);

} // namespace plumark::test
