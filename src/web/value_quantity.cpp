#include "value_quantity.h"

#include <QJsonObject>
#include <QRegularExpression>

namespace vantor {

std::optional<Quantity> ParseQuantity(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([-+]?\\d+(?:\\.\\d+)?)\\s*([^\\d\\s][^\\s]*)?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return Quantity{match.captured(1).toDouble(), match.captured(2)};
}

QJsonValue ValueQuantity(const QString &text)
{
    const auto quantity = ParseQuantity(text);
    if (!quantity)
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("value"), quantity->value},
                       {QStringLiteral("unit"), quantity->unit}};
}

} // namespace vantor
