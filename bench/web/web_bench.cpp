// The web board under 1,000 viewers on loopback: the time from a pick to the
// moment the last viewer has it, over 200 picks (counters "ms_p50",
// "ms_p99"; target p99 < 200 ms), and the server's resident memory with them
// all watching ("rss_MB"; target < 150 MB).
//
// The viewers run in a child process (this program with --viewers PORT N),
// so that the memory measured is the server's alone; the child says on its
// standard output when all of them are connected ("ready") and when all of
// them have a pick ("got PID").
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QWebSocket>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "tests/server_web/WebTestKit.h"

namespace {

constexpr int kViewers = 1000;
constexpr int kPicks = 200;
constexpr int kConnecting = 100;  // viewers opening at once

// Each side holds a socket per viewer: more than the usual soft limit of 1,024.
void RaiseFileLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

double StatusMb(const char* key) {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind(key, 0) == 0) return std::stod(line.substr(std::string(key).size())) / 1024.0;
  return 0;
}

// The child: `n` viewers; every PID of an update's picks counted.
int RunViewers(quint16 port, int n) {
  std::vector<std::unique_ptr<QWebSocket>> viewers;
  std::unordered_map<int, int> got;
  int ready = 0;
  int opened = 0;
  const QUrl url(QStringLiteral("ws://127.0.0.1:%1/live").arg(port));
  const auto openMore = [&] {
    while (opened < n && opened - ready < kConnecting) {
      auto viewer = std::make_unique<QWebSocket>();
      QObject::connect(viewer.get(), &QWebSocket::textMessageReceived, [&](const QString& text) {
        if (text.contains(QLatin1String(R"("t":"snapshot")"))) {
          if (++ready == n) std::printf("ready\n"), std::fflush(stdout);
          return;
        }
        for (qsizetype at = text.indexOf(QLatin1String(R"("pid":)")); at >= 0;
             at = text.indexOf(QLatin1String(R"("pid":)"), at + 1)) {
          const int pid = QStringView(text).mid(at + 6).left(8).split(u',').front().toInt();
          if (++got[pid] == n) std::printf("got %d\n", pid), std::fflush(stdout);
        }
      });
      viewer->open(url);
      viewers.push_back(std::move(viewer));
      ++opened;
    }
  };
  QTimer more;
  QObject::connect(&more, &QTimer::timeout, openMore);
  more.start(5);
  return QCoreApplication::exec();
}

void BM_ThousandViewers(benchmark::State& state) {
  for (auto _ : state) {
    pm::server::web::WebBoardOptions options;
    options.maxViewers = kViewers;
    pm::test::WebDraft draft("bench", options);
    if (!draft.loaded || !draft.serving) {
      state.SkipWithError("the draft or its web board did not start");
      return;
    }
    // More rounds than the default seven, so that the picks fit.
    pm::draft::DraftOrder order = draft.engine.Order();
    order.rounds = 20;
    draft.engine.SetOrder(order);
    const double baseline = StatusMb("VmRSS:");
    QProcess viewers;
    QByteArray lines;
    QObject::connect(&viewers, &QProcess::readyReadStandardOutput, [&] { lines += viewers.readAllStandardOutput(); });
    viewers.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--viewers"), QString::number(draft.Port()), QString::number(kViewers)});
    if (!pm::test::WaitFor([&] { return lines.contains("ready\n"); }, 180000)) {
      state.SkipWithError("the viewers did not all connect");
      return;
    }
    const double withViewers = StatusMb("VmRSS:");
    std::vector<double> ms;
    for (int i = 0; i < kPicks; ++i) {
      QElapsedTimer took;
      took.start();
      const pm::draft::Pick pick = draft.PickNext();
      if (pick.label != pm::draft::PickLabel::FromOverall(i + 1, 12)) {
        state.SkipWithError("a pick was not recorded");
        return;
      }
      const QByteArray done = "got " + QByteArray::number(pick.pid) + "\n";
      if (!pm::test::WaitFor([&] { return lines.contains(done); }, 10000)) {
        state.SkipWithError("a pick did not reach every viewer");
        return;
      }
      ms.push_back(static_cast<double>(took.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    state.counters["ms_p50"] = ms[ms.size() / 2];
    state.counters["ms_p99"] = ms[ms.size() * 99 / 100];
    state.counters["ms_max"] = ms.back();
    state.counters["viewers"] = draft.board->Viewers();
    state.counters["rss_MB"] = StatusMb("VmRSS:");
    state.counters["rss_peak_MB"] = StatusMb("VmHWM:");
    state.counters["viewers_MB"] = withViewers - baseline;
    viewers.kill();
    viewers.waitForFinished();
  }
}
BENCHMARK(BM_ThousandViewers)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  RaiseFileLimit();
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() == 4 && args[1] == QLatin1String("--viewers"))
    return RunViewers(static_cast<quint16>(args[2].toUInt()), args[3].toInt());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
