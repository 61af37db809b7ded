#pragma once

#include <QString>
#include <QStringList>

namespace plumark::test {

// Runs the installed ffmpeg with these arguments (standard input closed) and
// returns its exit code.
int runFfmpeg(const QStringList& arguments, QByteArray* errorOutput = nullptr);

// Generates a file with the installed ffmpeg from lavfi sources; the
// arguments go between the common options and the output path. Fails the
// test when ffmpeg fails.
void generate(const QString& path, const QStringList& arguments);

} // namespace plumark::test
