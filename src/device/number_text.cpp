#include "number_text.h"

#include "device_library.h"

#include <charconv>
#include <cmath>
#include <string>

namespace vantor {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

qsizetype skipDigits(QStringView text, qsizetype i)
{
    while (i < text.size() && isAsciiDigit(text[i]))
        ++i;
    return i;
}

} // namespace

std::optional<double> leadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    const qsizetype mantissa = i;
    i = skipDigits(text, i);
    qsizetype digits = i - mantissa;
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        const qsizetype fraction = i + 1;
        i = skipDigits(text, fraction);
        digits += i - fraction;
    }
    if (digits == 0)
        return std::nullopt;
    // An "e" that is not followed by digits belongs to the unit, not the number.
    if (i < text.size() && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-')))
            ++j;
        const qsizetype exponentEnd = skipDigits(text, j);
        if (exponentEnd > j)
            i = exponentEnd;
    }

    // from_chars takes no "+" and reads "." whatever the locale says.
    const std::string digitsText = text.mid(mantissa, i - mantissa).toLatin1().toStdString();
    double value = 0;
    const auto [end, error] =
        std::from_chars(digitsText.data(), digitsText.data() + digitsText.size(), value);
    if (error != std::errc() || end != digitsText.data() + digitsText.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

double leadingNumberOrThrow(QStringView text)
{
    const std::optional<double> value = leadingNumber(text);
    if (!value)
        throw NumberConversionError("not a number: " + text.toLatin1().left(40).toStdString());
    return *value;
}

} // namespace vantor
