// An outgoing e-mail and its serialised form: the four header fields, the
// body dot-stuffed and closed by a line holding a single ".", as the data
// phase of SMTP has it. The same bytes are kept as the sent copy and handed
// to the mail transport.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace vantor {

struct EmailMessage {
    QString from;       // sender address, no display name
    QString recipients; // one address or several separated by commas or semicolons
    QString subject;
    QString body; // lines separated by CR LF
    QDateTime date;
};

// "From", "Subject", "To", "Date" in that order (a field with an empty value
// is left out), an empty line, the body lines with a "." put in front of each
// line that begins with ".", and a final "." line. Line ends are CR LF;
// characters are 8-bit and passed through unchanged. The "To" value lists
// the recipients separated by ", ".
QByteArray SerialiseEmail(const EmailMessage &message);

} // namespace vantor
