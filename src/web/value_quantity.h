// A received value's text read as a number and its unit ("63.2 dBuV" is 63.2
// and "dBuV"), for the JSON that scripts compute with.
#pragma once

#include <QJsonValue>
#include <QString>

#include <optional>

namespace vantor {

struct Quantity {
    double value = 0;
    QString unit; // empty for a bare number
};

// Nothing for a text that is not a number, with or without a unit.
std::optional<Quantity> ParseQuantity(const QString &text);

// {"value": number, "unit": text}, or null.
QJsonValue ValueQuantity(const QString &text);

} // namespace vantor
