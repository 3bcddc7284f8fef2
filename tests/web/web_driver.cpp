#include "web_driver.h"

#include "test_support.h"
#include "web_station_helpers.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStandardPaths>

namespace vantor::test {

namespace {
QString Chromium()
{
    return QStandardPaths::findExecutable(QStringLiteral("chromium"));
}
QString ChromeDriver()
{
    return QStandardPaths::findExecutable(QStringLiteral("chromedriver"));
}
} // namespace

WebDriver::~WebDriver()
{
    if (!m_session.isEmpty())
        call("DELETE", QString());
    if (m_driver.state() != QProcess::NotRunning)
        Terminate(m_driver);
}

bool WebDriver::Available()
{
    return !Chromium().isEmpty() && !ChromeDriver().isEmpty();
}

bool WebDriver::start(int width, int height)
{
    m_port = FreeTcpPort();
    m_driver.start(ChromeDriver(), {QStringLiteral("--port=") + QString::number(m_port)});
    if (!m_driver.waitForStarted())
        return false;
    if (!waitFor(
            [&] {
                return !HttpCall("GET", QStringLiteral("http://127.0.0.1:%1/status").arg(m_port),
                                 {}, 1000)
                            .isEmpty();
            },
            15000))
        return false;
    const QJsonArray arguments = QJsonArray::fromStringList(
        {QStringLiteral("--headless=new"), QStringLiteral("--no-sandbox"),
         QStringLiteral("--disable-gpu"), QStringLiteral("--disable-dev-shm-usage"),
         QStringLiteral("--no-first-run"), QStringLiteral("--user-data-dir=") + m_profile.path(),
         QStringLiteral("--window-size=%1,%2").arg(width).arg(height)});
    const QJsonObject options{{QStringLiteral("binary"), Chromium()},
                              {QStringLiteral("args"), arguments}};
    const QJsonObject capabilities{
        {QStringLiteral("alwaysMatch"),
         QJsonObject{{QStringLiteral("browserName"), QStringLiteral("chrome")},
                     {QStringLiteral("goog:chromeOptions"), options}}}};
    const QJsonValue session = call("POST", QStringLiteral("/session"),
                                    QJsonObject{{QStringLiteral("capabilities"), capabilities}});
    m_session = session[QLatin1String("sessionId")].toString();
    return !m_session.isEmpty();
}

bool WebDriver::open(const QString &url)
{
    return call("POST", QStringLiteral("/url"), QJsonObject{{QStringLiteral("url"), url}}).isNull();
}

QJsonValue WebDriver::run(const QString &script)
{
    return call(
        "POST", QStringLiteral("/execute/sync"),
        QJsonObject{{QStringLiteral("script"), script}, {QStringLiteral("args"), QJsonArray()}});
}

QByteArray WebDriver::screenshot()
{
    return QByteArray::fromBase64(call("GET", QStringLiteral("/screenshot")).toString().toLatin1());
}

// Session commands go under /session/ID; the answer's "value".
QJsonValue WebDriver::call(const QByteArray &method, const QString &path, const QJsonValue &body)
{
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(m_port);
    const QString url = m_session.isEmpty()
                            ? QString(base + path)
                            : QString(base + QStringLiteral("/session/") + m_session + path);
    const QByteArray data = body.isObject()
                                ? QJsonDocument(body.toObject()).toJson(QJsonDocument::Compact)
                                : QByteArray();
    const QByteArray answer = HttpCall(method, url, data);
    return QJsonDocument::fromJson(answer)[QLatin1String("value")];
}

} // namespace vantor::test
