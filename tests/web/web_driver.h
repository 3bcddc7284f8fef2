// Headless Chromium driven through chromedriver's WebDriver protocol: open a
// page, run a script in it, take a screenshot.
#pragma once

#include <QJsonValue>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace vantor::test {

class WebDriver
{
public:
    ~WebDriver();
    // Whether chromium and chromedriver are installed.
    static bool Available();
    // Starts chromedriver and a browser session with a window of the size.
    bool start(int width, int height);
    bool open(const QString &url);
    // The value the script returns (a function body: "return ...").
    QJsonValue run(const QString &script);
    // The visible window as a PNG.
    QByteArray screenshot();

private:
    QJsonValue call(const QByteArray &method, const QString &path, const QJsonValue &body = {});

    QTemporaryDir m_profile;
    QProcess m_driver;
    int m_port = -1;
    QString m_session;
};

} // namespace vantor::test
