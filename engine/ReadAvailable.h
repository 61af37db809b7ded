#pragma once

#include <QByteArray>
#include <functional>

namespace plumark {

// Reads what a non-blocking descriptor holds now and hands each chunk to
// take, until nothing more is there or take returns false. Returns true when
// the writing end has closed (end of file).
bool readAvailable(int fd, const std::function<bool(const QByteArray& chunk)>& take);

} // namespace plumark
