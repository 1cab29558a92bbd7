// A loopback TCP proxy for fault tests and benchmarks: it sits between the
// draft server and its clients and changes how the byte stream is cut into
// writes or when it is delivered, never the bytes themselves; it can also cut
// the network path (every connection dropped, new ones refused).
//
//   SplitBytes       every read is forwarded as single-byte writes, each
//                    flushed at once (one burst per read);
//   SplitBytesPaced  the same, but one byte per event-loop turn, so that the
//                    receiver sees (nearly) every byte in a read of its own;
//   Join             reads are buffered and forwarded in one write once
//                    `joinCount` reads are buffered or after `joinTurns`
//                    event-loop turns;
//   Delay            every read is forwarded `delayMs` after it arrived, in
//                    each direction (a long round trip).
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <deque>
#include <memory>
#include <utility>
#include <vector>

namespace pm::test {

class LoopbackProxy : public QObject {
 public:
  enum class Mode { SplitBytes, SplitBytesPaced, Join, Delay };

  LoopbackProxy(quint16 targetPort, Mode mode, QObject* parent = nullptr);
  ~LoopbackProxy() override;

  bool Listening() const { return server_.isListening(); }
  quint16 Port() const { return server_.serverPort(); }
  int Connections() const { return static_cast<int>(pairs_.size()); }
  // Writes made towards either side (to check the mode really cut or joined).
  long long Writes() const { return writes_; }
  long long BytesForwarded() const { return bytes_; }

  int joinCount = 4;
  int joinTurns = 3;
  int delayMs = 50;

  // Cuts the path: every connection is reset on both sides at once.
  void DropAll();
  // The path dies without a close reaching the server: the clients' side is
  // reset, the server's side stays open and silent until DropAll.
  void Vanish();
  // Stops accepting (connection attempts are refused) or starts again on
  // the same port.
  bool SetListening(bool on);

 private:
  // One direction of one connection.
  struct Pipe {
    QPointer<QTcpSocket> to;
    QByteArray pending;
    std::deque<std::pair<qint64, QByteArray>> delayed;  // Delay: due time, bytes
    int reads = 0;
    int turns = 0;
    bool closeWhenEmpty = false;
    std::unique_ptr<QTimer> timer;
  };
  struct Pair {
    QPointer<QTcpSocket> down;  // accepted from the client
    QPointer<QTcpSocket> up;    // to the server
    Pipe toServer;
    Pipe toClient;
  };
  void Accept();
  void Forward(Pipe& pipe, QTcpSocket* from);
  void Drain(Pipe& pipe);
  void WriteOut(Pipe& pipe, const char* data, qint64 n);
  void CloseOther(Pipe& pipe);
  void DrainDelayed(Pipe& pipe);
  void Release(Pair& pair);

  quint16 target_;
  Mode mode_;
  QTcpServer server_;
  quint16 port_ = 0;
  QElapsedTimer elapsed_;
  std::vector<std::unique_ptr<Pair>> pairs_;
  long long writes_ = 0;
  long long bytes_ = 0;
};

}  // namespace pm::test
