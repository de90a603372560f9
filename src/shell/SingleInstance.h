#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

namespace kroyna::shell {

// Keeps one running program per data root, computer and user. The first
// start holds a lock file in the data root named after the computer and the
// user, and listens on a local socket; a later start finds the lock held,
// asks the running one (through the socket) to bring its window forward,
// and exits. A lock left by a crashed run belongs to a dead process and is
// taken over. Programs of other computers or users on the same data root
// are not refused: the stock and each parts base are locked on their own.
class SingleInstance : public QObject {
  Q_OBJECT
 public:
  explicit SingleInstance(const QString& dataRoot, QObject* parent = nullptr);
  ~SingleInstance() override;

  // True when this process is now the only running instance.
  bool acquire();

  // For a second instance: asks the running one to come to the front.
  // Returns true when it answered.
  bool activateRunning(int timeoutMs = 2000) const;

  QString lockPath() const { return lockPath_; }
  QString serverName() const { return serverName_; }

 signals:
  // Emitted in the running instance when another start asked it to come
  // to the front.
  void activationRequested();

 private:
  QString lockPath_;
  QString serverName_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer* server_ = nullptr;
};

}  // namespace kroyna::shell
