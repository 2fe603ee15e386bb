#include "app/qt/first_instance.h"

#include <QLocalSocket>

#include <utility>

namespace {

constexpr int kAnswerMilliseconds = 1000;
const QByteArray kShow = QByteArrayLiteral("show\n");
const QByteArray kStay = QByteArrayLiteral("stay\n");

}  // namespace

bool FirstInstance::reach(const QString& socketPath, bool showWindow) {
  QLocalSocket socket;
  socket.connectToServer(socketPath);
  if (!socket.waitForConnected(kAnswerMilliseconds)) return false;
  socket.write(showWindow ? kShow : kStay);
  socket.waitForBytesWritten(kAnswerMilliseconds);
  socket.disconnectFromServer();
  return true;
}

bool FirstInstance::listen(const QString& socketPath, std::function<void()> show) {
  show_ = std::move(show);
  // Nobody answered there: what is left is the socket of a program that
  // was killed.
  QLocalServer::removeServer(socketPath);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_.listen(socketPath)) return false;
  QObject::connect(&server_, &QLocalServer::newConnection, [this] {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        if (socket->readAll().startsWith(kShow) && show_) show_();
      });
    }
  });
  return true;
}
