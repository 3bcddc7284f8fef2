#include "email_message.h"

#include "address_list.h"
#include "rfc5322_date.h"

#include <QStringList>

namespace vantor {

namespace {

const QByteArray Crlf = QByteArrayLiteral("\r\n");

void AddField(QByteArray &out, const char *name, const QString &value)
{
    if (value.isEmpty())
        return;
    out += name;
    out += ": ";
    out += value.toLatin1();
    out += Crlf;
}

// RFC 5322 separates addresses by commas only; a semicolon there would end a
// group, so the list is written anew from its mailboxes.
QString ToFieldValue(const QString &recipients)
{
    QStringList mailboxes;
    for (const Mailbox &m : ParseAddressList(recipients))
        mailboxes.append(m.text);
    return mailboxes.join(QStringLiteral(", "));
}

} // namespace

QByteArray SerialiseEmail(const EmailMessage &message)
{
    QByteArray out;
    AddField(out, "From", message.from);
    AddField(out, "Subject", message.subject);
    AddField(out, "To", ToFieldValue(message.recipients));
    AddField(out, "Date", Rfc5322Date(message.date));
    out += Crlf;

    // A line break at the very end of the body ends its last line; it does not
    // open an empty one.
    if (!message.body.isEmpty()) {
        QByteArray body = message.body.toLatin1();
        if (body.endsWith(Crlf))
            body.chop(Crlf.size());
        qsizetype pos = 0;
        for (;;) {
            const qsizetype end = body.indexOf(Crlf, pos);
            const QByteArray line = body.mid(pos, end < 0 ? -1 : end - pos);
            if (line.startsWith('.'))
                out += '.';
            out += line;
            out += Crlf;
            if (end < 0)
                break;
            pos = end + Crlf.size();
        }
    }
    out += '.';
    out += Crlf;
    return out;
}

} // namespace vantor
