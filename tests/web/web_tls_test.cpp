// HTTPS from the "[Web]" Certificate and Key: a certificate made by openssl
// here, curl trusting it by --cacert, plain HTTP on that port getting no
// answer, the session cookie Secure, and files that cannot be used refused at
// start with their reason in "app.log" while the station runs on.
#include "engine_tables.h"
#include "test_support.h"
#include "web_server_fixture.h"
#include "web_startup.h"

#include <QProcess>
#include <QStandardPaths>

using namespace vantor;
using namespace vantor::test;

namespace {

struct ProgramRun {
    int exitCode = -1;
    QByteArray output;
};

// A program run to its end while the event loop (and the server) runs.
ProgramRun RunProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(5000) ||
        !waitFor([&] { return process.state() == QProcess::NotRunning; }, 30000)) {
        process.kill();
        process.waitForFinished(2000);
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAll()};
}

class WebTls : public WebServerFixture
{
protected:
    void SetUp() override
    {
        WebServerFixture::SetUp();
        if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("curl")).isEmpty())
            GTEST_SKIP() << "openssl and curl are needed (scripts/setup installs them)";
        for (const char *name : {"server", "other"}) {
            const ProgramRun made = RunProgram(
                QStringLiteral("openssl"),
                {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                 QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                 QStringLiteral("ec_paramgen_curve:P-256"), QStringLiteral("-nodes"),
                 QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                 QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                 QStringLiteral("subjectAltName=IP:127.0.0.1"), QStringLiteral("-keyout"),
                 File(name, "key"), QStringLiteral("-out"), File(name, "crt")});
            ASSERT_EQ(made.exitCode, 0) << made.output.constData();
        }
    }

    QString File(const char *name, const char *ending) const
    {
        return tmp.filePath(QLatin1String(name) + QLatin1Char('.') + QLatin1String(ending));
    }

    WebSettings Https(const QString &certificate, const QString &key) const
    {
        WebSettings settings;
        settings.enabled = true;
        settings.port = 0;
        settings.certificate = certificate;
        settings.key = key;
        return settings;
    }
};

} // namespace

TEST_F(WebTls, CurlTrustingTheCertificateGetsAnswersAndPlainHttpGetsNone)
{
    AddWebUser(QStringLiteral("alice"), WebRole::Operator, "alice-pass");

    const auto started =
        StartWebServer(engine, Https(File("server", "crt"), File("server", "key")));
    ASSERT_NE(started, nullptr) << qPrintable(AppLines());
    EXPECT_TRUE(AppLines().contains(QStringLiteral("Web server: listening on https://127.0.0.1:")))
        << qPrintable(AppLines());
    const QString httpsPort =
        AppLines().section(QStringLiteral("127.0.0.1:"), -1).section(u'/', 0, 0);
    const QString base = QStringLiteral("https://127.0.0.1:") + httpsPort;

    const ProgramRun trusted =
        RunProgram(QStringLiteral("curl"),
                   {QStringLiteral("-sS"), QStringLiteral("-i"), QStringLiteral("--cacert"),
                    File("server", "crt"), QStringLiteral("-H"),
                    QStringLiteral("Content-Type: application/json"), QStringLiteral("--data"),
                    QStringLiteral(R"({"user":"alice","password":"alice-pass"})"),
                    base + QStringLiteral("/api/v1/login")});
    ASSERT_EQ(trusted.exitCode, 0) << trusted.output.constData();
    EXPECT_TRUE(trusted.output.startsWith("HTTP/1.1 200")) << trusted.output.constData();
    EXPECT_TRUE(trusted.output.contains("; Secure")) << "the cookie travels only over TLS";

    const ProgramRun stranger =
        RunProgram(QStringLiteral("curl"), {QStringLiteral("-sS"), QStringLiteral("--cacert"),
                                            File("other", "crt"), base + QStringLiteral("/login")});
    EXPECT_NE(stranger.exitCode, 0) << "a certificate nobody vouches for is not trusted";

    EXPECT_EQ(Get(httpsPort.toUShort(), "/login").status, 0) << "no answer in plain HTTP";
    // The station served on after the plain request.
    EXPECT_EQ(
        RunProgram(QStringLiteral("curl"), {QStringLiteral("-sSf"), QStringLiteral("--cacert"),
                                            File("server", "crt"), base + QStringLiteral("/login")})
            .exitCode,
        0);
}

TEST_F(WebTls, FilesThatCannotServeAreRefusedAtStartWithTheirReason)
{
    writeAll(File("empty", "crt"), "not a certificate\n");
    const struct {
        QString certificate;
        QString key;
        QString logged;
    } cases[] = {
        {File("server", "crt"), File("other", "key"),
         QStringLiteral("Web server not started: ") + File("other", "key") +
             QStringLiteral(" is not the key of the certificate in ") + File("server", "crt")},
        {File("missing", "crt"), File("server", "key"),
         QStringLiteral("Web server not started: ") + File("missing", "crt") +
             QStringLiteral(": ")},
        {File("empty", "crt"), File("server", "key"),
         File("empty", "crt") + QStringLiteral(": no PEM certificate in it")},
        {File("server", "crt"), File("server", "crt"),
         File("server", "crt") + QStringLiteral(": no unencrypted PEM private key in it")},
        {File("server", "crt"), QString(),
         QStringLiteral("Web server not started: HTTPS needs both [Web] Certificate and Key")},
    };
    for (const auto &c : cases) {
        Tables(engine).G.AppActivityLines.clear();
        EXPECT_EQ(StartWebServer(engine, Https(c.certificate, c.key)), nullptr)
            << qPrintable(c.logged);
        EXPECT_TRUE(AppLines().contains(c.logged)) << qPrintable(AppLines());
    }
    ReceiveTick();
    EXPECT_GE(engine.MsSinceReceiveTick(), 0) << "the station runs on";
}
