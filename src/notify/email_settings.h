// The e-mail settings of the "Email" section of "config.ini" that sending a
// message reads, taken from the preferences at the moment of sending.
#pragma once

#include <QString>

namespace vantor {

struct EmailSettings {
    bool Enable = false;
    QString SMTPServer;
    QString Username;
    QString Password;
    bool Authenticate = false;
    bool TLS = false;
    QString From = QStringLiteral("@");
    QString Subject = QStringLiteral("Vantor Alarm Message");
    QString Signature;
};

} // namespace vantor
