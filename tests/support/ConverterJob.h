#pragma once

#include "transcode/Ac3Converter.h"

#include <QFile>

namespace plumark::test {

// A job for the in-process converter from paths held as text.
inline transcode::Ac3Job engineJob(const QString& input, const QString& output,
                                   const QString& rateToken = QStringLiteral("192k"))
{
    return {QFile::encodeName(input), QFile::encodeName(output), rateToken};
}

} // namespace plumark::test
