#include "server/engine/Log.h"

namespace pm::server {
Q_LOGGING_CATEGORY(lcServerNet, "pm.server.net", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMerge, "pm.merge", QtWarningMsg)
}  // namespace pm::server
