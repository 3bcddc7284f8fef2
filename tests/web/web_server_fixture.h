// An engine on the fake clock with one connected device on a station, and its
// web server listening on a free loopback port.
#pragma once

#include "engine_fixture.h"
#include "http_client.h"
#include "password_hash.h"
#include "web_server.h"
#include "web_users.h"

#include <memory>

namespace vantor::test {

class WebServerFixture : public EngineFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("127.0.0.1:1")});
        Start();
        ConnectAll();
        PutOnStation(0, QStringLiteral("98.5"), ModeMeasuringPart);
    }

    void Serve(const QByteArray &token = {}, const WebLimits &limits = {})
    {
        server = std::make_unique<WebServer>(engine, token, limits);
        QString error;
        port = server->start(QHostAddress::LocalHost, 0, &error);
        ASSERT_NE(port, 0) << qPrintable(error);
    }

    // A web user added to "web-users" in the data folder, as
    // "vantor --web-user add" would.
    void AddWebUser(const QString &name, WebRole role, const QByteArray &password)
    {
        WebUsers users;
        QString error;
        const QString file = DataFile(WebUsersFileName);
        ASSERT_TRUE(users.Load(file, &error)) << qPrintable(error);
        const QByteArray hash = HashPassword(password, &error);
        ASSERT_FALSE(hash.isEmpty()) << qPrintable(error);
        ASSERT_TRUE(users.Add({name, role, hash}));
        ASSERT_TRUE(users.Save(file, &error)) << qPrintable(error);
    }

    // One receive tick that reads these responses of device 0.
    void Receive(const QStringList &responses)
    {
        for (const QString &r : responses)
            library.pushResponse(0, r);
        ReceiveTick();
    }

    std::unique_ptr<WebServer> server;
    quint16 port = 0;
};

} // namespace vantor::test
