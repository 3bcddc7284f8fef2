// A round lamp that shows a flag as received: lit, dark, or hollow while
// nothing has been received (the RDS page's TP and TA).
#pragma once

#include <QWidget>

namespace vantor {

class SignalLight : public QWidget
{
    Q_OBJECT

public:
    enum class State { Unknown, Off, On };

    explicit SignalLight(const QString &caption, QWidget *parent = nullptr);

    State state() const { return m_state; }
    // -1 unknown, 0 off, anything else on, as the decoder keeps its flags.
    void setFlag(int flag);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
    State m_state = State::Unknown;
};

} // namespace vantor
