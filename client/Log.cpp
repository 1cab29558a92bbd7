#include "client/Log.h"

namespace pm::client {
Q_LOGGING_CATEGORY(lcClientNet, "pm.client.net", QtWarningMsg)
}  // namespace pm::client
