#pragma once

#include "transcode/Container.h"

#include <QByteArray>
#include <cstdint>
#include <functional>

namespace plumark::transcode {

// Hands each packet of the AC3 stream a Matroska or MP4 result holds to
// take, in order, until take returns false. Only the container its name
// ends in is opened, from the local file alone. True when the file was that
// container, held an AC3 stream and was read to its end (or until take
// stopped) without a read error.
bool readContainedAc3(const QByteArray& path,
                      const std::function<bool(const uint8_t* data, int size)>& take);

} // namespace plumark::transcode
