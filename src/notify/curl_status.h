// The status text of the mail transport for the outcome of one libcurl SMTP
// transfer: "OK ..." on delivery, otherwise what failed in words an operator
// can act on, with libcurl's detail and the server's last reply.
#pragma once

#include <QString>

#include <curl/curl.h>

namespace vantor {

// detail is libcurl's error text, serverReply the last line the server sent.
QString CurlSmtpStatus(CURLcode code, const QString &detail, const QString &serverReply,
                       int timeLimitMs);

} // namespace vantor
