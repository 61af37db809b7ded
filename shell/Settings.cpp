#include "shell/Settings.h"

#include "base/Failure.h"

#include <QCoreApplication>
#include <QSettings>
#include <cmath>

namespace plumark {

namespace {

constexpr auto Organisation = "Kestrova";
constexpr auto Group = "Plumark";

QSettings openStore()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromLatin1(Organisation), QString());
}

// A number in the invariant form: optional sign, digits, optional fraction
// and exponent, surrounding blanks allowed.
bool parseNumber(const QString& text, double& value)
{
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

} // namespace

QString settingsFilePath()
{
    return openStore().fileName();
}

QString ReadSetting(const QString& key, const QString& defaultValue)
{
    QSettings store = openStore();
    store.beginGroup(QString::fromLatin1(Group));
    const QVariant value = store.value(key);
    if (!value.isValid())
        return defaultValue;
    // A hand-edited line holding commas reads back as a list; keep it as text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void WriteSetting(const QString& key, const QString& value)
{
    QSettings store = openStore();
    store.beginGroup(QString::fromLatin1(Group));
    store.setValue(key, value);
    store.endGroup();
    store.sync();
    // A format error only says the old file held junk; the write replaced it.
    if (store.status() == QSettings::AccessError || !store.isWritable())
        throw Failure(
            QCoreApplication::translate("Failure", "The settings file \"%1\" could not be written")
                .arg(store.fileName()));
}

qint16 toInteger16(const QString& text)
{
    double value = 0;
    if (!parseNumber(text, value))
        throw Failure(QCoreApplication::translate("Failure", "Type mismatch"));
    const double rounded = std::nearbyint(value); // the default mode rounds halves to even
    if (rounded < -32768.0 || rounded > 32767.0)
        throw Failure(QCoreApplication::translate("Failure", "Overflow"));
    return static_cast<qint16>(rounded);
}

bool toBoolean(const QString& text)
{
    const QString word = text.trimmed();
    if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    double value = 0;
    if (!parseNumber(word, value))
        throw Failure(QCoreApplication::translate("Failure", "Type mismatch"));
    return value != 0.0;
}

} // namespace plumark
