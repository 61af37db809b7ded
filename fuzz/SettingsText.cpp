// Stored settings are text a user can edit by hand. The readers' conversions
// must either give the documented value or raise Failure, and every value the
// program writes must read back unchanged.
#include "base/Failure.h"
#include "fuzz/FuzzInput.h"
#include "shell/Settings.h"

#include <cmath>

using namespace plumark;
using plumark::fuzz::require;

namespace {

// The text as a finite number, as a hand-edited store may hold it.
bool numberIn(const QString& text, double& value)
{
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

void checkInteger(const QString& text)
{
    double number = 0;
    const bool numeric = numberIn(text, number);
    try {
        const qint16 value = toInteger16(text);
        require(numeric, "only numbers convert to integers", text);
        const double distance = std::fabs(number - value);
        require(distance < 0.5 || (distance == 0.5 && value % 2 == 0),
                "the nearest whole number, halves to even", text);
    } catch (const Failure&) {
        require(!numeric || std::nearbyint(number) < -32768.0 || std::nearbyint(number) > 32767.0,
                "a number in range converts", text);
    }
}

void checkBoolean(const QString& text)
{
    const QString word = text.trimmed();
    double number = 0;
    const bool numeric = numberIn(text, number);
    const bool isTrue = word.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    const bool isFalse = word.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0;
    try {
        const bool value = toBoolean(text);
        require(isTrue || isFalse || numeric, "only words and numbers convert", text);
        require(value == (isTrue || (!isFalse && number != 0.0)), "the documented truth value",
                text);
    } catch (const Failure&) {
        require(!isTrue && !isFalse && !numeric, "words and numbers convert", text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = plumark::fuzz::textPieces(data, size, 1).constFirst();
    checkInteger(text);
    checkBoolean(text);

    // What the program stores reads back as it was.
    if (size >= 2) {
        const auto value = qint16(data[0] | (data[1] << 8));
        require(toInteger16(QString::number(value)) == value, "an integer reads back");
        require(toInteger16(QStringLiteral(" %1 ").arg(value)) == value,
                "blanks around an integer are ignored");
        require(toBoolean(booleanText(value % 2 != 0)) == (value % 2 != 0), "a Boolean reads back");
    }
    return 0;
}
