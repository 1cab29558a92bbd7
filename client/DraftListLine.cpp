#include "DraftListLine.h"

#include "DraftServer.h"

namespace pm {

// The same line as the server's Selections list.
std::string DraftListLine(std::string_view record) { return server::DraftListFill(record); }

}  // namespace pm
