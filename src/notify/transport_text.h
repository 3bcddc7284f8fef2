// Last adjustments of a serialised message before it goes to the mail
// transport (the sent copy does not get them).
#pragma once

#include <QByteArray>

namespace vantor {

// Declares an 8-bit transfer encoding where the text says 7-bit (the first
// "Content-Transfer-Encoding: 7bit" becomes "...: 8bit"), and keeps a header
// continuation line holding a UTF-8 encoded word attached to its header
// (CR LF CR LF " =?UTF-8?Q?" becomes CR LF " =?UTF-8?Q?", everywhere).
QByteArray AdjustForTransport(QByteArray text);

} // namespace vantor
