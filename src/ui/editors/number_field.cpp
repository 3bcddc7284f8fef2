#include "number_field.h"

#include <QLineEdit>
#include <QTimer>

#include <algorithm>

namespace vantor {

NumberField::NumberField(int min, int max, int step, WhenEmptied emptied, QWidget *parent)
    : QSpinBox(parent), m_emptied(emptied)
{
    setRange(min, max);
    setSingleStep(step);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    if (m_emptied == WhenEmptied::Minimum)
        connect(lineEdit(), &QLineEdit::textEdited, this, &NumberField::RefillWhenEmpty);
}

QValidator::State NumberField::validate(QString &input, int &) const
{
    const QString t = input.trimmed();
    if (t.isEmpty() || t == QLatin1String("-"))
        return QValidator::Intermediate;
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    if (!ok)
        return QValidator::Invalid;
    return v >= minimum() && v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void NumberField::fixup(QString &input) const
{
    bool ok = false;
    const qlonglong typed = input.trimmed().toLongLong(&ok);
    qlonglong v = minimum();
    if (ok)
        v = typed;
    else if (input.trimmed().isEmpty() && m_emptied == WhenEmptied::ZeroOnLeaving)
        v = 0;
    input = QString::number(std::clamp<qlonglong>(v, minimum(), maximum()));
}

void NumberField::RefillWhenEmpty(const QString &text)
{
    if (!text.trimmed().isEmpty())
        return;
    setValue(minimum());
    // Unchanged values leave the text alone.
    if (lineEdit()->text().trimmed().isEmpty())
        lineEdit()->setText(textFromValue(minimum()));
    // Selected after the edit has settled, so the next key replaces it.
    QTimer::singleShot(0, lineEdit(), &QLineEdit::selectAll);
}

} // namespace vantor
