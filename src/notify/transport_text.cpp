#include "transport_text.h"

namespace vantor {

QByteArray AdjustForTransport(QByteArray text)
{
    static const QByteArray sevenBit = QByteArrayLiteral("Content-Transfer-Encoding: 7bit");
    const qsizetype at = text.indexOf(sevenBit);
    if (at >= 0)
        text[at + sevenBit.size() - 4] = '8';
    text.replace(QByteArrayLiteral("\r\n\r\n =?UTF-8?Q?"), QByteArrayLiteral("\r\n =?UTF-8?Q?"));
    return text;
}

} // namespace vantor
