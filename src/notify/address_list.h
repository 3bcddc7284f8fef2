// Reading a recipient text as a list of mailboxes: addresses separated by
// commas or semicolons, each either a bare address or a display name with the
// address in angle brackets.
#pragma once

#include <QList>
#include <QString>

namespace vantor {

struct Mailbox {
    QString text;    // the mailbox as written, trimmed ("Ops <ops@example.org>")
    QString address; // the address alone ("ops@example.org")

    bool operator==(const Mailbox &) const = default;
};

// Separators inside double quotes, comments or angle brackets do not split;
// empty entries are dropped.
QList<Mailbox> ParseAddressList(const QString &text);

} // namespace vantor
