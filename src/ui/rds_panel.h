// The "RDS" page of Recent Data: what the selected device decodes of its
// station's RDS (PS in large type, RadioText, PTY, TP and TA, PI and the
// country, the AF list, RT+ items, the mix of group types and the share of
// lost blocks). It is redrawn only while it is seen, and only when the
// decoder reported a change or more groups arrived.
#pragma once

#include <QHash>
#include <QWidget>

#include <cstdint>
#include <functional>

class QLabel;

namespace vantor {

class Engine;
class SignalLight;
struct RdsState;

class RdsPanel : public QWidget
{
    Q_OBJECT

public:
    RdsPanel(Engine &engine, std::function<int()> selectedDevice, QWidget *parent = nullptr);

    // The decoder of the shown device changed, or another device is shown.
    void Invalidate();
    // Once a second: the group mix and error share follow the group count.
    void SecondPassed();

    // The texts shown, by the accessible name of their field ("PS",
    // "RadioText", "PTY", …); empty for a name that is not a field.
    QString FieldText(const QString &name) const;
    SignalLight *TrafficProgramme() const { return m_tp; }
    SignalLight *TrafficAnnouncement() const { return m_ta; }
    // How many times the fields were filled, for telling a redraw from none.
    int Refreshes() const { return m_refreshes; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *Field(const QString &name);
    void Refresh();
    void Show(const RdsState *state);

    Engine &m_engine;
    std::function<int()> m_selected;
    QLabel *m_ps;
    QLabel *m_psReceiving;
    QLabel *m_radioText;
    SignalLight *m_tp;
    SignalLight *m_ta;
    QHash<QString, QLabel *> m_fields; // by accessible name
    bool m_stale = true;
    std::uint64_t m_shownGroups = 0;
    int m_refreshes = 0;
};

} // namespace vantor
