// Which delivery failures may pass with time (the server away, busy or
// answering "try again later") and are worth another attempt, and the waits
// between the attempts.
#pragma once

#include <QString>

namespace vantor {

// A transport status reports a failure that may pass: connection refused,
// server not found, a time-out, a dropped connection, or a 4xx reply. A 5xx
// reply or a refused login is permanent.
bool TransientMailFailure(const QString &status);

// The wait before attempt number attempt + 1 (attempt counts from 1): the
// first wait, doubled after each attempt, never above longestMs.
int RetryDelayMs(int attempt, int firstMs, int longestMs);

// The status reported for a message given up after attempts attempts, the
// last of which failed with lastStatus.
QString GivenUpStatus(int attempts, const QString &lastStatus);

} // namespace vantor
