#pragma once

#include <QString>
#include <functional>

namespace plumark {

// The rate token for "the same rate as the input": the probe's report read
// with the window's rule, else the fallback token.
QString inputRateToken(const QString& probePath, const QString& inputPath,
                       const QString& fallbackToken, const std::function<void()>& yield = {});

} // namespace plumark
