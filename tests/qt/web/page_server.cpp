#include "page_server.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace qnc::test {

PageServer::PageServer() {
  QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Serve(socket); });
    }
  });
}

bool PageServer::Start() { return server_.listen(QHostAddress::LocalHost, 0); }

void PageServer::AddPage(const QString& path, const QString& title) {
  pages_[path] = QStringLiteral(
                     "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title></head>"
                     "<body><h1>%1</h1></body></html>")
                     .arg(title)
                     .toUtf8();
}

void PageServer::AddFilledPage(const QString& path, const QString& title, const QString& colour) {
  pages_[path] = QStringLiteral(
                     "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title></head>"
                     "<body style=\"margin:0;background:%2;height:100vh\"></body></html>")
                     .arg(title, colour)
                     .toUtf8();
}

QUrl PageServer::UrlOf(const QString& path) const {
  return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
}

void PageServer::Serve(QTcpSocket* socket) {
  // Requests are small; answer once the header is complete.
  QByteArray request = socket->property("request").toByteArray() + socket->readAll();
  socket->setProperty("request", request);
  if (!request.contains("\r\n\r\n")) return;
  socket->setProperty("request", QByteArray());

  const QList<QByteArray> requestLine = request.left(request.indexOf("\r\n")).split(' ');
  const QString path = requestLine.size() >= 2 ? QString::fromUtf8(requestLine[1]) : QString();
  requested_.append(path);

  const auto page = pages_.constFind(path);
  const QByteArray status = page != pages_.constEnd() ? "200 OK" : "404 Not Found";
  const QByteArray body = page != pages_.constEnd() ? *page : QByteArray("not found");
  socket->write("HTTP/1.1 " + status + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
  socket->disconnectFromHost();
}

}  // namespace qnc::test
