#pragma once

#include <QString>
#include <ostream>

// GoogleTest shows texts in failure messages and test names through this.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toUtf8().toStdString() << '"';
}
