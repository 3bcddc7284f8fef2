// An operator's action on one device from the web: the toolbar's station
// tuning, pause and resume, stop, the RDS mode and the quick station entry,
// carried out by the same engine operations as the toolbar, under the same
// rules and with the same messages. Each action is noted in the device's
// activity log with who asked and from where.
#pragma once

#include "http_answer.h"
#include "web_access.h"

#include <QByteArray>
#include <QString>

namespace vantor {

class Engine;

// The names of the actions, as the last part of their path.
bool IsDeviceAction(const QString &name);

// Carries out action (one of IsDeviceAction's) on the device, whose index the
// caller has checked, with the request's JSON body. 200 with the message and
// the device as it is now, 400 for a body that is not as the action needs,
// 404 for a station not on the list, 409 with the engine's message when it
// refused.
HttpAnswer RunDeviceAction(Engine &engine, int device, const QString &action,
                           const QByteArray &body, const WebIdentity &who, const QString &address);

} // namespace vantor
