#include "server/web/WebRoutes.h"

#include <QFile>

namespace pm::server::web {

namespace {

using namespace Qt::StringLiterals;

constexpr char kPolicy[] =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; connect-src 'self'; "
    "base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

WebResponse Answer(int status, QByteArray type, QByteArray body, QByteArray cache) {
  WebResponse r;
  r.status = status;
  r.headers = {{"Content-Type", std::move(type)},
               {"Cache-Control", std::move(cache)},
               {"X-Content-Type-Options", "nosniff"},
               {"Content-Security-Policy", kPolicy},
               {"Referrer-Policy", "no-referrer"}};
  r.body = std::move(body);
  return r;
}

WebResponse Text(int status, const char* text) {
  return Answer(status, "text/plain; charset=utf-8", QByteArray(text) + '\n', "no-store");
}

// A file of the page, from the program's resources.
QByteArray Asset(const QString& name) {
  QFile file(u":/pickmill/web/"_s + name);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

WebResponse Route(const WebRequest& request, const WebContent& content) {
  const QString& path = request.path;
  if (request.upgrade) {
    const bool take = request.get && path == QLatin1String(kLivePath) && content.roomForViewer();
    return {take ? kTakeViewer : 404, {}, {}};
  }
  if (!request.get) return Text(404, "Not found.");
  if (path == u"/"_s) return Answer(200, "text/html; charset=utf-8", Asset(u"index.html"_s), "no-cache");
  if (path == u"/board.css"_s) return Answer(200, "text/css; charset=utf-8", Asset(u"board.css"_s), "no-cache");
  if (path == u"/board.js"_s) return Answer(200, "text/javascript; charset=utf-8", Asset(u"board.js"_s), "no-cache");
  if (path == u"/board.json"_s) return Answer(200, "application/json", content.boardJson(), "no-store");
  if (path == u"/draft.csv"_s) {
    WebResponse r = Answer(200, "text/csv; charset=utf-8", content.draftCsv(), "no-store");
    r.headers.emplaceBack("Content-Disposition", "inline; filename=\"draft.csv\"");
    return r;
  }
  if (path == QLatin1String(kLivePath)) {
    WebResponse r = Text(426, "The live board needs a WebSocket connection.");
    r.headers.emplaceBack("Upgrade", "websocket");
    return r;
  }
  return Text(404, "Not found.");
}

}  // namespace pm::server::web
