#include "number_text.h"

#include "device_library.h"

#include <charconv>
#include <cmath>
#include <string>

namespace vantor {

namespace {

// The extent of the leading number in text (characters of any width): where
// its digits begin (after blanks and sign), where it ends, and its sign.
struct NumberSpan {
    qsizetype begin = 0;
    qsizetype end = 0;
    bool negative = false;
};

template <typename Text> qsizetype skipDigits(const Text &text, qsizetype i)
{
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    return i;
}

template <typename Text> std::optional<NumberSpan> findNumber(const Text &text)
{
    NumberSpan span;
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        span.negative = text[i] == '-';
        ++i;
    }
    span.begin = i;
    i = skipDigits(text, i);
    qsizetype digits = i - span.begin;
    if (i < text.size() && text[i] == '.') {
        const qsizetype fraction = i + 1;
        i = skipDigits(text, fraction);
        digits += i - fraction;
    }
    if (digits == 0)
        return std::nullopt;
    // An "e" that is not followed by digits belongs to the unit, not the number.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const qsizetype exponentEnd = skipDigits(text, j);
        if (exponentEnd > j)
            i = exponentEnd;
    }
    span.end = i;
    return span;
}

// from_chars takes no "+" and reads "." whatever the locale says.
std::optional<double> convert(const char *begin, const char *end, bool negative)
{
    double value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

// Characters as their codes, which compare with the ASCII ones as they are.
struct Utf16Text {
    QStringView text;
    qsizetype size() const { return text.size(); }
    char16_t operator[](qsizetype i) const { return text[i].unicode(); }
};

struct Latin1Text {
    QLatin1StringView text;
    qsizetype size() const { return text.size(); }
    char operator[](qsizetype i) const { return text.data()[i]; }
};

} // namespace

std::optional<double> leadingNumber(QStringView text)
{
    const std::optional<NumberSpan> span = findNumber(Utf16Text{text});
    if (!span)
        return std::nullopt;
    // Only ASCII digits, signs, "." and "e" are in the span.
    const std::string digits =
        text.mid(span->begin, span->end - span->begin).toLatin1().toStdString();
    return convert(digits.data(), digits.data() + digits.size(), span->negative);
}

std::optional<double> leadingNumber(QLatin1StringView text)
{
    const std::optional<NumberSpan> span = findNumber(Latin1Text{text});
    if (!span)
        return std::nullopt;
    return convert(text.data() + span->begin, text.data() + span->end, span->negative);
}

double leadingNumberOrThrow(QStringView text)
{
    const std::optional<double> value = leadingNumber(text);
    if (!value)
        throw NumberConversionError("not a number: " + text.toLatin1().left(40).toStdString());
    return *value;
}

} // namespace vantor
