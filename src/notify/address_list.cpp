#include "address_list.h"

#include <algorithm>
#include <vector>

namespace vantor {

namespace {

// Where a character of a mailbox text stands. Quoted strings and comments may
// hold separators and brackets that mean nothing there.
enum class Region { Plain, Quoted, Comment, Angle, Delimiter };

std::vector<Region> Classify(const QString &text)
{
    std::vector<Region> regions(static_cast<std::size_t>(text.size()), Region::Plain);
    bool inQuotes = false;
    bool inAngle = false;
    int commentDepth = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        Region &r = regions[static_cast<std::size_t>(i)];
        if (inQuotes || commentDepth > 0) {
            r = inQuotes ? Region::Quoted : Region::Comment;
            if (c == QLatin1Char('\\') && i + 1 < text.size())
                regions[static_cast<std::size_t>(++i)] = r;
            else if (inQuotes && c == QLatin1Char('"'))
                inQuotes = false;
            else if (!inQuotes && c == QLatin1Char('('))
                ++commentDepth;
            else if (!inQuotes && c == QLatin1Char(')'))
                --commentDepth;
        } else if (inAngle) {
            inAngle = c != QLatin1Char('>');
            r = inAngle ? Region::Angle : Region::Delimiter;
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
            r = Region::Quoted;
        } else if (c == QLatin1Char('(')) {
            commentDepth = 1;
            r = Region::Comment;
        } else if (c == QLatin1Char('<')) {
            inAngle = true;
            r = Region::Delimiter;
        }
    }
    return regions;
}

// The address of one mailbox: the text inside angle brackets when there are
// any, otherwise the mailbox without its comments.
QString MailboxAddress(const QString &mailbox)
{
    const std::vector<Region> regions = Classify(mailbox);
    QString plain;
    QString angled;
    for (qsizetype i = 0; i < mailbox.size(); ++i) {
        const Region r = regions[static_cast<std::size_t>(i)];
        if (r == Region::Angle)
            angled += mailbox.at(i);
        else if (r == Region::Plain || r == Region::Quoted)
            plain += mailbox.at(i);
    }
    const bool hasAngle =
        std::find(regions.begin(), regions.end(), Region::Delimiter) != regions.end();
    return (hasAngle ? angled : plain).trimmed();
}

} // namespace

QList<Mailbox> ParseAddressList(const QString &text)
{
    QList<Mailbox> result;
    const std::vector<Region> regions = Classify(text);
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size();
        if (!end) {
            const QChar c = text.at(i);
            if (regions[static_cast<std::size_t>(i)] != Region::Plain ||
                (c != QLatin1Char(',') && c != QLatin1Char(';')))
                continue;
        }
        const QString mailbox = text.mid(start, i - start).trimmed();
        start = i + 1;
        const QString address = MailboxAddress(mailbox);
        if (!address.isEmpty())
            result.append({mailbox, address});
    }
    return result;
}

} // namespace vantor
