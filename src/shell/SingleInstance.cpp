#include "shell/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSysInfo>

#include <unistd.h>

namespace kroyna::shell {
namespace {
const QByteArray kActivate = QByteArrayLiteral("activate\n");
}

namespace {

// One lock per computer and user: programs of other computers, or of other
// users, on the same data root run side by side (the stock and the parts
// bases have locks of their own).
QString lockName() {
  QString host = QSysInfo::machineHostName();
  for (QChar& c : host)
    if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('.')) c = QLatin1Char('_');
  return QStringLiteral("kroyna-%1-%2.lock").arg(host).arg(getuid());
}

}  // namespace

SingleInstance::SingleInstance(const QString& dataRoot, QObject* parent)
    : QObject(parent), lockPath_(QDir(dataRoot).filePath(lockName())) {
  // One socket name per user and data root, short enough for a socket path.
  const QByteArray key = QDir(dataRoot).canonicalPath().toUtf8() + '/' + QByteArray::number(getuid());
  serverName_ = QStringLiteral("kroyna-") +
                QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
}

SingleInstance::~SingleInstance() {
  if (server_) server_->close();
}

bool SingleInstance::acquire() {
  lock_ = std::make_unique<QLockFile>(lockPath_);
  // Stale locks are recognised by their process id alone: a lock whose
  // process no longer runs is removed whatever its age.
  lock_->setStaleLockTime(0);
  if (!lock_->tryLock(0)) {
    if (lock_->error() == QLockFile::LockFailedError) return false;
    // The lock file could not be written at all (permissions): do not
    // refuse to start because of it.
    return true;
  }
  server_ = new QLocalServer(this);
  QLocalServer::removeServer(serverName_);  // a socket left by a crashed run
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (server_->listen(serverName_)) {
    connect(server_, &QLocalServer::newConnection, this, [this] {
      while (QLocalSocket* s = server_->nextPendingConnection()) {
        connect(s, &QLocalSocket::readyRead, this, [this, s] {
          if (s->readAll().startsWith(kActivate.trimmed())) {
            s->write("ok\n");
            s->flush();
            emit activationRequested();
          }
        });
        connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
      }
    });
  }
  return true;
}

bool SingleInstance::activateRunning(int timeoutMs) const {
  QLocalSocket socket;
  socket.connectToServer(serverName_);
  if (!socket.waitForConnected(timeoutMs)) return false;
  socket.write(kActivate);
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  return socket.waitForReadyRead(timeoutMs) && socket.readAll().startsWith("ok");
}

}  // namespace kroyna::shell
