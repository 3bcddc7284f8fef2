// The "[Webhook]" section of "config.ini": the addresses the station posts
// its alarm and link events to, each with an optional shared secret that
// signs the posts. Keys URL1 … URL4 and Secret1 … Secret4; an empty URL is
// no webhook.
#pragma once

#include "ini_file.h"

#include <QString>

#include <vector>

namespace vantor {

inline constexpr int WebhookSlots = 4;

struct WebhookTarget {
    QString url;
    QString secret; // empty: posts are not signed

    bool operator==(const WebhookTarget &) const = default;
};

// The slots that hold an address, in slot order.
std::vector<WebhookTarget> ReadWebhooks(const IniFile &ini);

} // namespace vantor
