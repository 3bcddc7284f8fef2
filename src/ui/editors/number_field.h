// A spin edit that lets any whole number be typed and moves it into its range
// when the operator leaves the field, so a value out of range is corrected
// where it can be seen rather than refused keystroke by keystroke.
#pragma once

#include <QSpinBox>

namespace vantor {

class NumberField : public QSpinBox
{
    Q_OBJECT

public:
    // How an emptied field is refilled.
    enum class WhenEmptied {
        Minimum,       // at once, with the minimum, selected so typing replaces it
        ZeroOnLeaving, // with "0" when the field is left, then moved into range
    };

    NumberField(int min, int max, int step, WhenEmptied emptied, QWidget *parent = nullptr);

    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;

private:
    void RefillWhenEmpty(const QString &text);

    WhenEmptied m_emptied;
};

} // namespace vantor
