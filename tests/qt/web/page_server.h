#pragma once
#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

namespace qnc::test {

// A minimal HTTP/1.1 responder on 127.0.0.1 for browser tests: serves small
// HTML pages, each titled as registered, and 404 for anything else. Runs on
// the thread that owns it, driven by that thread's event loop.
class PageServer {
 public:
  PageServer();

  bool Start();  // listens on an ephemeral port of 127.0.0.1
  void AddPage(const QString& path, const QString& title);
  // A page of one colour from edge to edge (a CSS colour name or #rrggbb).
  void AddFilledPage(const QString& path, const QString& title, const QString& colour);
  QUrl UrlOf(const QString& path) const;
  // Paths of every request so far, in order.
  const QStringList& RequestedPaths() const { return requested_; }

 private:
  void Serve(class QTcpSocket* socket);

  QTcpServer server_;
  QMap<QString, QByteArray> pages_;
  QStringList requested_;
};

}  // namespace qnc::test
