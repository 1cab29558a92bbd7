// The client's logging category, off below warnings unless asked for
// (QT_LOGGING_RULES="pm.client.net.debug=true"):
//   pm.client.net - connecting, the login and its answer, losing and
//                   regaining the connection
#pragma once

#include <QLoggingCategory>

namespace pm::client {
Q_DECLARE_LOGGING_CATEGORY(lcClientNet)
}  // namespace pm::client
