// A loopback TCP proxy for fault tests: it sits between the draft server and
// its clients and changes how the byte stream is cut into writes, never the
// bytes themselves.
//
//   SplitBytes       every read is forwarded as single-byte writes, each
//                    flushed at once (one burst per read);
//   SplitBytesPaced  the same, but one byte per event-loop turn, so that the
//                    receiver sees (nearly) every byte in a read of its own;
//   Join             reads are buffered and forwarded in one write once
//                    `joinCount` reads are buffered or after `joinTurns`
//                    event-loop turns.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <vector>

namespace pm::test {

class LoopbackProxy : public QObject {
 public:
  enum class Mode { SplitBytes, SplitBytesPaced, Join };

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

 private:
  // One direction of one connection.
  struct Pipe {
    QPointer<QTcpSocket> to;
    QByteArray pending;
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

  quint16 target_;
  Mode mode_;
  QTcpServer server_;
  std::vector<std::unique_ptr<Pair>> pairs_;
  long long writes_ = 0;
  long long bytes_ = 0;
};

}  // namespace pm::test
