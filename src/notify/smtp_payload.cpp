#include "smtp_payload.h"

#include "address_list.h"

namespace vantor {

namespace {

const QByteArray Crlf = QByteArrayLiteral("\r\n");
const QByteArray BlankLine = QByteArrayLiteral("\r\n\r\n");
const QByteArray EndOfData = QByteArrayLiteral(".\r\n");
// The longest line SMTP carries (RFC 5321 4.5.3.1.6), without its CR LF.
constexpr qsizetype MaxLineLength = 998;

// Appends one body line, broken into pieces a server accepts. A recent-data
// list with the raw histogram (over 1700 characters) would otherwise make the
// server refuse the whole alarm message.
void AppendLine(QByteArray &data, const QByteArray &line)
{
    const bool ended = line.endsWith(Crlf);
    QByteArray content = ended ? line.chopped(Crlf.size()) : line;
    while (content.size() > MaxLineLength) {
        data += content.left(MaxLineLength) + Crlf;
        content.remove(0, MaxLineLength);
    }
    data += content;
    if (ended)
        data += Crlf;
}

// The value of a header field, continuation lines unfolded; empty when the
// header has no such field.
QString FieldValue(const QByteArray &header, const QByteArray &name)
{
    const QByteArray prefix = name.toLower() + ':';
    QByteArray value;
    bool inField = false;
    for (const QByteArray &line : header.split('\n')) {
        const QByteArray l = line.endsWith('\r') ? line.chopped(1) : line;
        if (inField && (l.startsWith(' ') || l.startsWith('\t'))) {
            value += l;
            continue;
        }
        if (inField)
            break;
        if (l.toLower().startsWith(prefix)) {
            inField = true;
            value = l.mid(prefix.size());
        }
    }
    return QString::fromLatin1(value).trimmed();
}

QStringList Addresses(const QString &list)
{
    QStringList out;
    for (const Mailbox &m : ParseAddressList(list))
        out.append(m.address);
    return out;
}

} // namespace

SmtpPayload PayloadFromMessage(const QByteArray &message)
{
    qsizetype bodyStart = message.indexOf(BlankLine);
    bodyStart = bodyStart < 0 ? message.size() : bodyStart + BlankLine.size();
    const QByteArray header = message.left(bodyStart);

    SmtpPayload payload;
    const QStringList from = Addresses(FieldValue(header, "From"));
    payload.sender = from.isEmpty() ? QString() : from.first();
    payload.recipients = Addresses(FieldValue(header, "To"));

    // The receiving side of RFC 5321 4.5.2: the data ends at a line holding a
    // single ".", and a leading "." of any other body line is dropped. An SMTP
    // client stuffs and terminates the data again on the wire; handing it the
    // stuffed text would double every stuffed dot at the recipient.
    payload.data = header;
    qsizetype pos = bodyStart;
    while (pos < message.size()) {
        qsizetype end = message.indexOf(Crlf, pos);
        end = end < 0 ? message.size() : end + Crlf.size();
        const QByteArray line = message.mid(pos, end - pos);
        pos = end;
        if (line == EndOfData || line == ".")
            break;
        AppendLine(payload.data, line.startsWith('.') ? line.mid(1) : line);
    }
    return payload;
}

} // namespace vantor
