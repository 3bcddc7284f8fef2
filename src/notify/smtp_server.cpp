#include "smtp_server.h"

#include "platform_utils.h"

namespace vantor {

SmtpServer ParseSmtpServer(const QString &setting)
{
    const qsizetype colon = setting.indexOf(QLatin1Char(':'));
    if (colon < 3)
        return {setting, DefaultSmtpPort};
    return {setting.left(colon), StrToIntDefault(setting.mid(colon + 1, 5), DefaultSmtpPort)};
}

} // namespace vantor
