#include "device_actions.h"

#include "engine.h"
#include "status_json.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>

#include <array>
#include <optional>

namespace vantor {

namespace {

const std::array<const char *, 6> ActionNames = {"tune", "pause", "resume",
                                                 "stop", "rds",   "quick-station"};
const std::array<const char *, 3> QuickModes = {"measuring", "rds", "full"};
const QString NotConnected = QStringLiteral("Not connected");

struct Outcome {
    int status = 200;
    QString message;
};

HttpAnswer Done(Engine &engine, int device, const QString &message)
{
    const QByteArray text = QJsonDocument(QJsonObject{{QStringLiteral("message"), message}})
                                .toJson(QJsonDocument::Compact);
    // {"message":"..."} with the device added before the closing brace.
    return {200,
            "application/json",
            text.chopped(1) + ",\"device\":" + DeviceStatusJson(engine, device) + '}',
            {}};
}

// A text from a request as the activity log may show it: short, on one line.
QString Shown(const QString &text)
{
    QString shown = text.left(64);
    for (QChar &c : shown) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char('?');
    }
    return shown;
}

// The quick entry offers 64.0 to 108.0 MHz in tenths; the same choice as
// text, "98.5" (or with a comma, or "98.50"), in tenths of a MHz.
std::optional<int> QuickTenths(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{2,3})(?:[.,](\\d)0?)?$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const int tenths = match.captured(1).toInt() * 10 + match.captured(2).toInt();
    if (tenths < 640 || tenths > 1080)
        return std::nullopt;
    return tenths;
}

// The frequency as the quick entry's list writes it.
QString QuickFrequencyText(int tenths)
{
    return QStringLiteral("%1%2%3")
        .arg(tenths / 10)
        .arg(QLocale::system().decimalPoint().at(0))
        .arg(tenths % 10);
}

// The station of the list named so whose device is this one.
int StationOfDevice(const Engine &engine, int device, const QString &name)
{
    for (int j = 0; j < static_cast<int>(engine.StationTable().size()); ++j) {
        const TStation &s = engine.StationTable()[j];
        if (s.Name == name && engine.FindDeviceID(s.DeviceName) == device)
            return j;
    }
    return -1;
}

// What the quick entry allows before it tunes: a device the connection
// manager has handled, and one the tuning would not refuse.
Outcome QuickTune(Engine &engine, int device, const QString &frequency, int mode)
{
    if (const QString refusal = engine.StationEditorRefusal(); !refusal.isEmpty())
        return {409, refusal};
    if (!engine.TuneQuickStation(device, frequency, mode))
        return {409, NotConnected};
    return {};
}

Outcome Run(Engine &engine, int device, const QString &action, const QJsonObject &body)
{
    const TDevice &d = engine.DeviceTable()[device];
    if (action == QLatin1String("pause") || action == QLatin1String("resume")) {
        if (d.Paused != (action == QLatin1String("pause")))
            engine.TogglePause(device);
        return {};
    }
    if (action == QLatin1String("stop")) {
        engine.StopByUser(device);
        return {};
    }
    if (action == QLatin1String("tune")) {
        const QJsonValue name = body.value(QStringLiteral("station"));
        if (!name.isString())
            return {400, QStringLiteral("Give \"station\", a station's name")};
        const int station = StationOfDevice(engine, device, name.toString());
        if (station < 0)
            return {404, QStringLiteral("No station of that name for this device")};
        const bool usable = engine.DeviceUsable(device);
        if (const QString message = engine.TuneStation(station); !message.isEmpty())
            return {409, message};
        return usable ? Outcome{} : Outcome{409, NotConnected};
    }
    if (action == QLatin1String("rds")) {
        // The device stays on its frequency and decodes RDS there, as the
        // quick entry's "RDS decoding" would on that frequency.
        if (!d.StationActive)
            return {409, QStringLiteral("The device has no station")};
        return QuickTune(engine, device, d.Station.Frequency, 1);
    }
    const auto tenths = QuickTenths(body.value(QStringLiteral("frequency_mhz")).toString());
    if (!tenths)
        return {400, QStringLiteral("Give \"frequency_mhz\" from 64.0 to 108.0 in steps of 0.1")};
    const QString modeName =
        body.value(QStringLiteral("mode")).toString(QStringLiteral("measuring"));
    const auto mode = std::find_if(QuickModes.begin(), QuickModes.end(),
                                   [&](const char *m) { return modeName == QLatin1String(m); });
    if (mode == QuickModes.end())
        return {400, QStringLiteral("\"mode\" is measuring, rds or full")};
    return QuickTune(engine, device, QuickFrequencyText(*tenths),
                     static_cast<int>(mode - QuickModes.begin()));
}

} // namespace

bool IsDeviceAction(const QString &name)
{
    return std::any_of(ActionNames.begin(), ActionNames.end(),
                       [&](const char *a) { return name == QLatin1String(a); });
}

HttpAnswer RunDeviceAction(Engine &engine, int device, const QString &action,
                           const QByteArray &body, const WebIdentity &who, const QString &address)
{
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(body, &error);
    if (!body.trimmed().isEmpty() && (error.error != QJsonParseError::NoError || !json.isObject()))
        return HttpAnswer::JsonError(400, QStringLiteral("The body is no JSON object"));
    const QString user = who.user.isEmpty() ? QStringLiteral("token") : who.user;
    QString detail = action;
    for (const char *field : {"station", "frequency_mhz", "mode"}) {
        const QJsonValue value = json.object().value(QLatin1String(field));
        if (value.isString())
            detail += QLatin1Char(' ') + Shown(value.toString());
    }
    Outcome outcome;
    engine.RunGuarded([&] {
        engine.AddToActivityLog(device, QStringLiteral("Web action ") + detail +
                                            QStringLiteral(" by ") + user +
                                            QStringLiteral(" from ") + address);
        outcome = Run(engine, device, action, json.object());
    });
    if (outcome.status != 200)
        return HttpAnswer::JsonError(outcome.status, outcome.message);
    return Done(engine, device, outcome.message);
}

} // namespace vantor
