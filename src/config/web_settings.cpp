#include "web_settings.h"

#include <algorithm>

namespace vantor {

namespace {
const QString Section = QStringLiteral("Web");
}

WebSettings ReadWebSettings(const IniFile &ini)
{
    WebSettings settings;
    settings.enabled = ini.ReadBool(Section, QStringLiteral("Enable"), false);
    settings.address = ini.ReadString(Section, QStringLiteral("Address"), settings.address);
    settings.port = ini.ReadInteger(Section, QStringLiteral("Port"), settings.port);
    settings.token = ini.ReadString(Section, QStringLiteral("Token"), QString());
    settings.tokenIsOperator =
        ini.ReadString(Section, QStringLiteral("TokenRole"), QString()).trimmed().toLower() ==
        QLatin1String("operator");
    settings.certificate = ini.ReadString(Section, QStringLiteral("Certificate"), QString());
    settings.key = ini.ReadString(Section, QStringLiteral("Key"), QString());
    settings.allowPlainHttp = ini.ReadBool(Section, QStringLiteral("AllowPlainHttp"), false);
    settings.sessionIdleSeconds =
        std::max(10, ini.ReadInteger(Section, QStringLiteral("SessionIdleSeconds"),
                                     settings.sessionIdleSeconds));
    return settings;
}

bool ParseListenAddress(const QString &text, QString *address, int *port)
{
    QString host;
    QString portText = text;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1String("]:"));
        if (close < 0)
            return false;
        host = text.mid(1, close - 1);
        portText = text.mid(close + 2);
    } else if (const qsizetype colon = text.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        host = text.left(colon);
        portText = text.mid(colon + 1);
        if (host.contains(QLatin1Char(':')))
            return false; // an IPv6 address needs its brackets
    }
    bool ok = false;
    const int value = portText.toInt(&ok);
    if (!ok || value < 1 || value > 65535 || (host.isEmpty() && text.contains(QLatin1Char(':'))))
        return false;
    if (!host.isEmpty())
        *address = host;
    *port = value;
    return true;
}

} // namespace vantor
