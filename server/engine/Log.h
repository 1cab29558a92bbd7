// The server's logging categories, off below warnings unless asked for
// (QT_LOGGING_RULES="pm.server.net.debug=true", or "pm.*=true"):
//   pm.server.net - connections accepted, refused, signed on and dropped
//   pm.merge      - a merge found interrupted at a league load, put back or not
#pragma once

#include <QLoggingCategory>

namespace pm::server {
Q_DECLARE_LOGGING_CATEGORY(lcServerNet)
Q_DECLARE_LOGGING_CATEGORY(lcMerge)
}  // namespace pm::server
