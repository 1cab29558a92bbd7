#include "client/Reconnect.h"

#include <array>
#include <utility>

namespace pm::client {

int ReconnectPauseMs(int attempt) {
  static constexpr std::array<int, 6> kPauses = {1000, 2000, 4000, 8000, 15000, 30000};
  if (attempt < 0) attempt = 0;
  if (attempt >= static_cast<int>(kPauses.size())) return kPauses.back();
  return kPauses[static_cast<std::size_t>(attempt)];
}

QtPauseTimer::QtPauseTimer() {
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    if (done_) std::exchange(done_, {})();
  });
}

void QtPauseTimer::Start(int ms, std::function<void()> done) {
  done_ = std::move(done);
  timer_.start(ms);
}

void QtPauseTimer::Stop() {
  timer_.stop();
  done_ = {};
}

}  // namespace pm::client
