#include "log_line_template.h"

#include "model.h"

#include <QHash>
#include <QVarLengthArray>

#include <algorithm>
#include <iterator>
#include <string_view>

namespace vantor {

namespace {

// Tokens are found left to right and never overlap: a field right after one
// filled by the same name shares its double quote with that field, so it is
// no token of its own and keeps its text. Of the fields (in order) that hold
// one name, these are the ones a replacement fills.
std::vector<int> NonOverlapping(const std::vector<int> &fields)
{
    std::vector<int> taken;
    for (const int i : fields) {
        if (taken.empty() || taken.back() != i - 1)
            taken.push_back(i);
    }
    return taken;
}

std::vector<int> Without(const std::vector<int> &fields, const std::vector<int> &taken)
{
    std::vector<int> rest;
    std::set_difference(fields.begin(), fields.end(), taken.begin(), taken.end(),
                        std::back_inserter(rest));
    return rest;
}

bool IsColumnName(const QString &name)
{
    return !name.isEmpty() && std::find(MeasurementColumns.begin(), MeasurementColumns.end(),
                                        name) != MeasurementColumns.end();
}

// Removes every occurrence of unit found left to right in the text as it was,
// in place; returns the new length. A unit that the removal brings together
// stays, as it does for QString::remove.
qsizetype RemoveAll(char16_t *text, qsizetype length, std::u16string_view unit)
{
    const auto size = static_cast<qsizetype>(unit.size());
    qsizetype kept = 0;
    for (qsizetype at = 0; at < length;) {
        if (text[at] == unit.front() && length - at >= size &&
            std::equal(unit.begin() + 1, unit.end(), text + at + 1)) {
            at += size;
            continue;
        }
        text[kept++] = text[at++];
    }
    return kept;
}

// A number as a spreadsheet reads one: an optional sign, digits with at most
// one decimal separator among or before them, an optional exponent.
bool IsNumber(QStringView text, QStringView decimalPoint)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto digits = [&] {
        const qsizetype from = i;
        while (i < n && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        return i > from;
    };
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    bool mantissa = digits();
    if (!decimalPoint.isEmpty() && text.sliced(i).startsWith(decimalPoint)) {
        i += decimalPoint.size();
        mantissa = digits() || mantissa;
    }
    if (!mantissa)
        return false;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        if (!digits())
            return false;
    }
    return i == n;
}

// A cleaned value that a spreadsheet would take for a formula (a received
// "=HYPERLINK(…)", "@SUM(…)", "+A1" or "-A1"); numbers, negative ones among
// them, are values.
bool StartsFormula(QStringView cleaned, QStringView decimalPoint)
{
    if (cleaned.isEmpty())
        return false;
    const QChar first = cleaned.front();
    if (first == u'=' || first == u'@')
        return true;
    return (first == u'+' || first == u'-') && !IsNumber(cleaned, decimalPoint);
}

// A value text as a spreadsheet reads it: units and blanks removed, the
// locale's decimal separator. Double quotes go too: the line's fields are
// quoted, and a quote inside a value would end its field and add others;
// and so do control characters (a CR or TAB would split or shift cells). A
// value that would start a formula gets a leading apostrophe, which makes a
// spreadsheet show it as the text it is.
// The units go one after the other: removing one can make another.
QString CleanValue(const QString &value, const QString &decimalPoint)
{
    const auto *begin = reinterpret_cast<const char16_t *>(value.utf16());
    QVarLengthArray<char16_t, 64> chars(begin, begin + value.size());
    qsizetype length = chars.size();
    for (const std::u16string_view unit : {u"kHz", u"MHz", u"deg", u"dBr", u"dBuV", u"dB"})
        length = RemoveAll(chars.data(), length, unit);
    const auto kept = [](char16_t c) { return c > u' ' && c != u'"' && c != 0x7f; };
    QString cleaned(length * decimalPoint.size(), Qt::Uninitialized);
    auto *out = reinterpret_cast<char16_t *>(cleaned.data());
    qsizetype size = 0;
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = chars[i];
        if (c != u'.') {
            if (kept(c))
                out[size++] = c;
            continue;
        }
        for (const QChar d : decimalPoint) {
            if (kept(d.unicode()))
                out[size++] = d.unicode();
        }
    }
    cleaned.truncate(size);
    if (StartsFormula(cleaned, decimalPoint))
        cleaned.prepend(QLatin1Char('\''));
    return cleaned;
}

} // namespace

void LogLineTemplate::Compile(const QString &composition)
{
    if (m_compiled && composition == m_composition)
        return;
    m_composition = composition;
    m_compiled = true;
    const QStringList pieces = composition.split(QLatin1Char('"'));
    m_pieces.assign(pieces.begin(), pieces.end());
    const int count = static_cast<int>(m_pieces.size());
    m_slots.assign(m_pieces.size(), Slot::Text);
    m_names.clear();

    // Every piece between two double quotes is a token; the first and the
    // last piece lie outside all quotes. Pieces a date or time fills are no
    // longer names.
    std::vector<bool> named(m_pieces.size(), false);
    for (int i = 1; i < count - 1; ++i)
        named[static_cast<std::size_t>(i)] = true;
    const std::pair<const char *, Slot> dateAndTime[] = {
        {"datetime", Slot::DateTime}, {"time", Slot::Time}, {"date", Slot::Date}};
    for (const auto &[word, slot] : dateAndTime) {
        std::vector<int> fields;
        for (int i = 1; i < count - 1; ++i) {
            const auto u = static_cast<std::size_t>(i);
            if (named[u] && m_pieces[u] == QLatin1String(word))
                fields.push_back(i);
        }
        for (const int i : NonOverlapping(fields)) {
            m_slots[static_cast<std::size_t>(i)] = slot;
            named[static_cast<std::size_t>(i)] = false;
        }
    }

    QHash<QString, std::size_t> byName;
    std::vector<std::vector<int>> fields;
    for (int i = 1; i < count - 1; ++i) {
        const auto u = static_cast<std::size_t>(i);
        if (!named[u])
            continue;
        const auto found = byName.constFind(m_pieces[u]);
        const std::size_t n = found != byName.cend() ? *found : byName.size();
        if (n == fields.size()) {
            byName.insert(m_pieces[u], n);
            fields.emplace_back();
            m_names.push_back({m_pieces[u], {}, {}, {}});
        }
        fields[n].push_back(i);
    }
    for (std::size_t n = 0; n < m_names.size(); ++n) {
        NameFields &name = m_names[n];
        name.filled = NonOverlapping(fields[n]);
        if (IsColumnName(name.name)) {
            name.emptiedAfterValue = NonOverlapping(Without(fields[n], name.filled));
            name.emptiedWithoutValue = name.filled;
        }
    }
}

QString LogLineTemplate::Fill(const RecentDataList &data, const QString &date, const QString &time,
                              const QString &decimalPoint) const
{
    const QString noText;
    QVarLengthArray<const QString *, 64> fields(static_cast<qsizetype>(m_pieces.size()), nullptr);
    QVarLengthArray<QString, 32> values(static_cast<qsizetype>(m_names.size()));
    bool filledAny = false;
    for (std::size_t n = 0; n < m_names.size(); ++n) {
        const NameFields &name = m_names[n];
        const QString *received = data.Find(name.name);
        if (received && !name.filled.empty()) {
            QString &value = values[static_cast<qsizetype>(n)];
            value = CleanValue(*received, decimalPoint);
            filledAny = filledAny || value != name.name;
            for (const int i : name.filled)
                fields[i] = &value;
        }
        for (const int i : received ? name.emptiedAfterValue : name.emptiedWithoutValue)
            fields[i] = &noText;
    }
    if (!filledAny)
        return {};

    const QString dateTime = date + QLatin1Char(' ') + time;
    const auto text = [&](std::size_t i) -> const QString & {
        switch (m_slots[i]) {
        case Slot::DateTime:
            return dateTime;
        case Slot::Date:
            return date;
        case Slot::Time:
            return time;
        case Slot::Text:
            break;
        }
        const QString *field = fields[static_cast<qsizetype>(i)];
        return field ? *field : m_pieces[i];
    };
    qsizetype length = static_cast<qsizetype>(m_pieces.size()) - 1;
    for (std::size_t i = 0; i < m_pieces.size(); ++i)
        length += text(i).size();
    QString line;
    line.reserve(length);
    for (std::size_t i = 0; i < m_pieces.size(); ++i) {
        if (i > 0)
            line += QLatin1Char('"');
        line += text(i);
    }
    return line;
}

} // namespace vantor
