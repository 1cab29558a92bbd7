// The web board's answers to plain HTTP requests: the page and its assets
// (built into the program as Qt resources), /board.json and /draft.csv.
// Only GET of those paths is served; any other request is answered 404,
// a plain GET of the live endpoint 426; a WebSocket request is taken only
// at the live endpoint, and only while there is room for another viewer. Every answer has its content type,
// "X-Content-Type-Options: nosniff" and a Content-Security-Policy that lets
// the page run only its own script and style and connect only back to its
// own server; the live state is never cached.
#pragma once

#include <QByteArray>

#include <functional>

#include "server/web/HttpAdapter.h"

namespace pm::server::web {

// The path of the live endpoint (WebSocket), relative to the page: "live".
inline constexpr const char* kLivePath = "/live";

struct WebContent {
  std::function<QByteArray()> boardJson;
  std::function<QByteArray()> draftCsv;
  std::function<bool()> roomForViewer;  // false: a WebSocket request is closed unanswered
};

WebResponse Route(const WebRequest& request, const WebContent& content);

}  // namespace pm::server::web
