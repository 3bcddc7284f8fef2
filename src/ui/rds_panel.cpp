#include "rds_panel.h"

#include "engine.h"
#include "rds_decoder.h"
#include "rds_reception.h"
#include "rds_tables.h"
#include "signal_light.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>
#include <vector>

namespace vantor {

namespace {

const QString Nothing = QStringLiteral("-");

QString Hex(int value, int digits)
{
    return value < 0 ? Nothing
                     : QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

QString Frequencies(const QList<double> &list)
{
    QStringList texts;
    for (double mhz : list)
        texts << QString::number(mhz, 'f', 1);
    return texts.join(QLatin1Char(' '));
}

QString AfText(const RdsAlternativeFrequencies &af)
{
    if (af.same.isEmpty() && af.regional.isEmpty())
        return Nothing;
    if (!af.methodB)
        return Frequencies(af.same) + QStringLiteral(" MHz");
    QString text = QStringLiteral("for %1 MHz: %2")
                       .arg(QString::number(af.tuned, 'f', 1), Frequencies(af.same));
    if (!af.regional.isEmpty())
        text += QStringLiteral("; regional variants: ") + Frequencies(af.regional);
    return text;
}

QString CountryText(const RdsState &s)
{
    if (s.ecc < 0)
        return Nothing;
    const QString country = EccCountry(s.ecc, s.pi);
    return country.isEmpty() ? Hex(s.ecc, 2) : Hex(s.ecc, 2) + QStringLiteral(" / ") + country;
}

QString RtPlusText(const QList<RdsRtPlusItem> &items)
{
    QStringList lines;
    for (const RdsRtPlusItem &item : items)
        lines << item.type + QStringLiteral(": ") + item.text;
    return lines.isEmpty() ? Nothing : lines.join(QLatin1Char('\n'));
}

// The group types received, most frequent first, each with its share.
QString GroupMixText(const RdsState &s)
{
    std::vector<std::pair<std::uint64_t, int>> counts;
    std::uint64_t total = 0;
    for (int t = 0; t < int(s.groupCounts.size()); ++t) {
        if (s.groupCounts[t]) {
            counts.emplace_back(s.groupCounts[t], t);
            total += s.groupCounts[t];
        }
    }
    if (total == 0)
        return Nothing;
    std::stable_sort(counts.begin(), counts.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    QStringList parts;
    for (const auto &[count, type] : counts) {
        const double percent = 100.0 * double(count) / double(total);
        parts << QStringLiteral("%1 %2 %").arg(RdsGroupTypeName(type),
                                               percent < 1 ? QStringLiteral("<1")
                                                           : QString::number(qRound(percent)));
    }
    return parts.join(QStringLiteral(", ")) + QStringLiteral(" (of %1 groups)").arg(total);
}

QString ErrorShareText(double share)
{
    return share < 0 ? QStringLiteral("- (after the first whole minute)")
                     : QString::number(share, 'f', 1) + QStringLiteral(" % of blocks lost");
}

// The PS being received when it differs from the last one received whole
// in a segment that arrived (a station repeating its name shows nothing).
QString ArrivingName(const RdsSegmentedText &ps)
{
    constexpr int SegmentChars = 2;
    for (int segment = 0; segment * SegmentChars < ps.receiving.size(); ++segment) {
        if (((ps.segments >> segment) & 1u) != 0 &&
            ps.receiving.mid(segment * SegmentChars, SegmentChars) !=
                ps.complete.mid(segment * SegmentChars, SegmentChars))
            return QStringLiteral("receiving \"%1\"").arg(ps.receiving);
    }
    return QString();
}

void SetText(QLabel *label, const QString &text)
{
    if (label->text() != text)
        label->setText(text);
}

} // namespace

RdsPanel::RdsPanel(Engine &engine, std::function<int()> selectedDevice, QWidget *parent)
    : QWidget(parent), m_engine(engine), m_selected(std::move(selectedDevice))
{
    setObjectName(QStringLiteral("TabSheetRDS"));
    setAccessibleName(QStringLiteral("RDS"));

    // Eight characters in a fixed-pitch face, so a scrolling name does not jump.
    m_ps = Field(QStringLiteral("PS"));
    QFont large = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    large.setPointSizeF(font().pointSizeF() * 2.6);
    large.setBold(true);
    m_ps->setFont(large);
    m_ps->setMinimumWidth(QFontMetrics(large).horizontalAdvance(QLatin1Char('W')) * 9);
    m_psReceiving = Field(QStringLiteral("PS being received"));
    m_radioText = Field(QStringLiteral("RadioText"));
    m_radioText->setWordWrap(true);
    m_tp = new SignalLight(QStringLiteral("TP"), this);
    m_ta = new SignalLight(QStringLiteral("TA"), this);

    auto *lights = new QVBoxLayout;
    lights->addWidget(m_tp);
    lights->addWidget(m_ta);
    lights->addStretch();
    auto *names = new QVBoxLayout;
    names->addWidget(m_ps);
    names->addWidget(m_psReceiving);
    auto *top = new QHBoxLayout;
    top->addLayout(names);
    top->addSpacing(fontMetrics().averageCharWidth() * 3);
    top->addLayout(lights);
    top->addStretch();

    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    const auto row = [&](const QString &caption, QLabel *field) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    row(QStringLiteral("RadioText"), m_radioText);
    for (const char *name :
         {"PTY", "PI", "ECC / country", "AF", "RT+", "Group types", "Block errors"})
        row(QLatin1String(name), Field(QLatin1String(name)));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(form);
    layout->addStretch();
}

QLabel *RdsPanel::Field(const QString &name)
{
    auto *label = new QLabel(Nothing, this);
    label->setAccessibleName(name);
    // Received texts are shown as they are, never read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_fields.insert(name, label);
    return label;
}

QString RdsPanel::FieldText(const QString &name) const
{
    const QLabel *field = m_fields.value(name);
    return field ? field->text() : QString();
}

void RdsPanel::Invalidate()
{
    m_stale = true;
    if (isVisible())
        Refresh();
}

void RdsPanel::SecondPassed()
{
    if (!isVisible())
        return;
    const int device = m_selected();
    if (m_engine.InvalidDevice(device) || !m_engine.DeviceTable()[device].Rds)
        return;
    if (m_engine.DeviceTable()[device].Rds->decoder.state().groups != m_shownGroups)
        m_stale = true;
    if (m_stale)
        Refresh();
}

void RdsPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_stale)
        Refresh();
}

void RdsPanel::Refresh()
{
    m_stale = false;
    ++m_refreshes;
    const int device = m_selected();
    const bool decoding = !m_engine.InvalidDevice(device) && m_engine.DeviceTable()[device].Rds;
    Show(decoding ? &m_engine.DeviceTable()[device].Rds->decoder.state() : nullptr);
}

void RdsPanel::Show(const RdsState *state)
{
    static const RdsState NothingReceived;
    const RdsState &s = state ? *state : NothingReceived;
    m_shownGroups = s.groups;
    const PtyNames table = m_engine.Prefs().Integer(QStringLiteral("RDSPtyNames")) == 1
                               ? PtyNames::Rbds
                               : PtyNames::Rds;
    const auto field = [this](const char *name) { return m_fields.value(QLatin1String(name)); };
    SetText(m_ps, s.ps.complete.isEmpty() ? Nothing : s.ps.complete);
    SetText(m_psReceiving, ArrivingName(s.ps));
    SetText(m_radioText, s.rt.complete.isEmpty() ? Nothing : s.rt.complete);
    SetText(field("PTY"), s.pty < 0
                              ? Nothing
                              : QString::number(s.pty) + QLatin1Char(' ') + PtyName(s.pty, table));
    SetText(field("PI"), Hex(s.pi, 4));
    SetText(field("ECC / country"), CountryText(s));
    SetText(field("AF"), AfText(s.af));
    SetText(field("RT+"), RtPlusText(s.rtPlus));
    SetText(field("Group types"), GroupMixText(s));
    SetText(field("Block errors"), ErrorShareText(s.blockErrorShare));
    m_tp->setFlag(s.tp);
    m_ta->setFlag(s.ta);
}

} // namespace vantor
