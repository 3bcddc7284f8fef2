#include "value_quantity.h"

#include <QJsonObject>
#include <QRegularExpression>

namespace vantor {

QJsonValue ValueQuantity(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([-+]?\\d+(?:\\.\\d+)?)\\s*([^\\d\\s][^\\s]*)?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("value"), match.captured(1).toDouble()},
                       {QStringLiteral("unit"), match.captured(2)}};
}

} // namespace vantor
