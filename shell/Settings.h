#pragma once

#include <QString>

namespace plumark {

// Per-user text values under the organisation "Kestrova", group "Plumark"
// ($XDG_CONFIG_HOME/Kestrova.conf). Every call reads or writes the store
// afresh; a write reaches the file before it returns.
QString ReadSetting(const QString& key, const QString& defaultValue);
void WriteSetting(const QString& key, const QString& value);

// The path of the settings file.
QString settingsFilePath();

// Conversions used by the readers. Each raises Failure on text it cannot convert.
// A 16-bit integer: the nearest whole number, halves to the even neighbour.
qint16 toInteger16(const QString& text);
// "True"/"False" in any letter case, or a number (0 false, any other true).
bool toBoolean(const QString& text);
// The text a Boolean setting is stored as.
inline QString booleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace plumark
