// Reading the number at the start of a value text the analyzer sent, such as
// "63.2 dBuV". The device always writes "." as the decimal point, so the
// system locale plays no part.
#pragma once

#include <QLatin1StringView>
#include <QStringView>

#include <optional>

namespace vantor {

// The leading decimal number of text: optional blanks (spaces, tabs), an
// optional sign, digits with an optional "." and fraction (at least one digit
// in all), an optional exponent ("e" or "E", optional sign, digits). Whatever
// follows is ignored. Nothing when there is no such number or it does not fit
// a double.
std::optional<double> leadingNumber(QStringView text);
// The same, read straight from the bytes of a received response.
std::optional<double> leadingNumber(QLatin1StringView text);

// leadingNumber, or NumberConversionError when there is none.
double leadingNumberOrThrow(QStringView text);

} // namespace vantor
