#include "common/DataLock.h"

#include "common/Messages.h"
#include "platform/file/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

#include <exception>
#include <filesystem>

namespace kroyna::common {

namespace {

LockQuestion& question() {
  static LockQuestion q;
  return q;
}

std::filesystem::path toPath(const QString& path) { return std::filesystem::path(path.toStdString()); }

// The information file beside a lock file: "pid\nhost\nuser\n".
QString infoPath(const QString& lockPath) { return lockPath + QStringLiteral(".user"); }

QString userName() {
  if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) return QString::fromLocal8Bit(pw->pw_name);
  const QString user = qEnvironmentVariable("USER");
  return user.isEmpty() ? qEnvironmentVariable("LOGNAME") : user;
}

// Without a question of its own the program asks through its messages:
// "Повторить" tries again, "Отмена" opens read-only.
LockChoice ask(const QString& what, const LockHolder& holder) {
  if (question()) return question()(what, holder);
  const QString text =
      lockedMessage(what, holder) + QStringLiteral("\r\r«Повторить» — попробовать ещё раз, «Отмена» — только чтение.");
  return showMessage(text, MsgIcon::Warning, MsgButtons::RetryCancel) == MsgResult::Retry ? LockChoice::Retry
                                                                                          : LockChoice::ReadOnly;
}

}  // namespace

void setLockQuestion(LockQuestion q) { question() = std::move(q); }

QString holderText(const LockHolder& h) {
  QString text = QStringLiteral("компьютер «%1»").arg(h.host.isEmpty() ? QStringLiteral("?") : h.host);
  if (!h.user.isEmpty()) text += QStringLiteral(", пользователь «%1»").arg(h.user);
  QString program = h.program.isEmpty() ? QString() : QStringLiteral("программа %1").arg(h.program);
  if (h.pid > 0)
    program += (program.isEmpty() ? QString() : QStringLiteral(", ")) + QStringLiteral("процесс %1").arg(h.pid);
  if (!program.isEmpty()) text += QStringLiteral(" (") + program + QLatin1Char(')');
  return text;
}

QString lockedMessage(const QString& what, const LockHolder& holder) {
  QString text = QStringLiteral(
                     "Открыто в другой программе: %1.\r%2.\r\rМожно открыть только для чтения: смотреть, "
                     "раскладывать и печатать, но не сохранять.\rИли повторить попытку, когда там закончат работу.")
                     .arg(what, holderText(holder));
  if (!holder.sameHost)
    text += QStringLiteral(
        "\r\rЕсли программа на том компьютере уже не работает (сбой, выключение),\rблокировку "
        "можно снять.");
  return text;
}

DataLock::DataLock(QString lockPath) : path_(std::move(lockPath)), lock_(std::make_unique<QLockFile>(path_)) {
  // Only a lock whose process is gone from this computer is stale; a lock
  // of another computer is never taken over by its age.
  lock_->setStaleLockTime(0);
}

DataLock::~DataLock() { release(); }

bool DataLock::isLocked() const { return lock_->isLocked(); }

std::optional<LockHolder> DataLock::holderOf(const QString& lockPath) {
  QLockFile file(lockPath);
  qint64 pid = 0;
  QString host, program;
  if (!file.getLockInfo(&pid, &host, &program)) return std::nullopt;
  LockHolder h;
  h.pid = pid;
  h.host = host;
  h.program = program;
  h.sameHost = host.isEmpty() || host == QSysInfo::machineHostName();
  QFile info(infoPath(lockPath));
  if (info.open(QIODevice::ReadOnly)) {
    const QStringList lines = QString::fromUtf8(info.read(4096)).split(QLatin1Char('\n'));
    // The name counts only when it belongs to this very lock.
    if (lines.size() >= 3 && lines[0].toLongLong() == pid && lines[1] == host) h.user = lines[2];
  }
  return h;
}

void DataLock::writeInfo() {
  const QString text = QString::number(QCoreApplication::applicationPid()) + QLatin1Char('\n') +
                       QSysInfo::machineHostName() + QLatin1Char('\n') + userName() + QLatin1Char('\n');
  try {
    platform::writeFileAtomically(toPath(infoPath(path_)), text.toUtf8().toStdString());
  } catch (const std::exception&) {
    // Without it the holder is still named by computer and process.
  }
}

bool DataLock::tryOnce() {
  holder_.reset();
  reason_.clear();
  // A lock file that goes between the try and the reading of its holder
  // is tried again.
  for (int attempt = 0; attempt < 3 && !holder_; ++attempt) {
    if (lock_->tryLock(0)) {
      writeInfo();
      return true;
    }
    if (lock_->error() != QLockFile::LockFailedError) break;
    holder_ = holderOf(path_);
  }
  if (lock_->error() == QLockFile::LockFailedError) {
    if (!holder_) holder_ = LockHolder{};
    reason_ = QStringLiteral("открыто в другой программе: ") + holderText(*holder_);
    return false;
  }
  reason_ =
      QStringLiteral("нет прав на запись в папку %1").arg(QDir::toNativeSeparators(QFileInfo(path_).absolutePath()));
  return false;
}

bool DataLock::tryAcquire() { return isLocked() || tryOnce(); }

bool DataLock::acquire(const QString& what) {
  if (isLocked()) return true;
  for (;;) {
    if (tryOnce()) return true;
    if (!holder_) return false;  // the lock cannot be made at all
    const LockChoice choice = ask(what, *holder_);
    if (choice == LockChoice::ReadOnly) return false;
    if (choice != LockChoice::TakeOver || holder_->sameHost) continue;
    const QString confirm =
        QStringLiteral(
            "Снять блокировку: %1?\r\rЕсли программа там ещё работает, её изменения и ваши будут "
            "записаны друг поверх друга.\rСнимайте блокировку, только если программа на том компьютере "
            "закрыта.")
            .arg(holderText(*holder_));
    if (showMessage(confirm, MsgIcon::Warning, MsgButtons::YesNo) != MsgResult::Yes) continue;
    if (!lock_->removeStaleLockFile())
      showError(QStringLiteral("Не удалось снять блокировку %1.").arg(QDir::toNativeSeparators(path_)));
  }
}

bool DataLock::stillHeld() const {
  if (!isLocked()) return false;
  const std::optional<LockHolder> h = holderOf(path_);
  return h && h->pid == QCoreApplication::applicationPid() && h->host == QSysInfo::machineHostName();
}

void DataLock::release() {
  if (!isLocked()) return;
  if (stillHeld()) {
    QFile::remove(infoPath(path_));
    lock_->unlock();
    return;
  }
  // Another computer's program took the lock over: unlocking removes the
  // lock file, which is now that program's, so it is put back as it was.
  QByteArray theirs;
  {
    QFile f(path_);
    if (f.open(QIODevice::ReadOnly)) theirs = f.readAll();
  }
  lock_->unlock();
  if (theirs.isEmpty()) return;
  try {
    platform::writeFileAtomically(toPath(path_), std::string_view(theirs.constData(), theirs.size()));
  } catch (const std::exception&) {
  }
}

}  // namespace kroyna::common
