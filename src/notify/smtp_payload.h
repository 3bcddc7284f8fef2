// What an SMTP client needs from a serialised message: the envelope sender and
// recipients from its "From" and "To" fields, and the message data without
// the data-phase transparency (dot-stuffing and the final "." line), which
// the SMTP client adds again itself.
#pragma once

#include <QByteArray>
#include <QStringList>

namespace vantor {

struct SmtpPayload {
    QString sender;         // first address of "From"; empty when there is none
    QStringList recipients; // every address of "To"
    QByteArray data;        // header and body, each body line ended by CR LF
};

SmtpPayload PayloadFromMessage(const QByteArray &message);

} // namespace vantor
