// A received value's text read as a number and its unit ("63.2 dBuV" is 63.2
// and "dBuV"), for the JSON that scripts compute with.
#pragma once

#include <QJsonValue>
#include <QString>

namespace vantor {

// {"value": number, "unit": text}, or null for a text without a leading number.
QJsonValue ValueQuantity(const QString &text);

} // namespace vantor
