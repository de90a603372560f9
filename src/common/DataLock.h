#pragma once

// Locks on what programs on several computers share through one data
// root: the stored stock tables, a parts base. A lock is a lock file
// (QLockFile: process, program and computer) beside what it protects, and
// an information file beside it with the user's name.
//
// A program that finds a lock of another one asks its user (through the
// lock question the shell installs) whether to open read-only or to try
// again; a lock of another computer may also be taken over, after the user
// confirms that the program there no longer runs. A lock whose process no
// longer runs on this computer is taken over without a question.

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

class QLockFile;

namespace kroyna::common {

// Who holds a lock, as its files tell.
struct LockHolder {
  qint64 pid = 0;
  QString host;     // computer name
  QString user;     // user name; empty when the lock does not tell
  QString program;  // program name
  bool sameHost = false;
};

// "компьютер «office», пользователь «anna»".
QString holderText(const LockHolder& holder);

// What the user chooses when another program holds a lock.
enum class LockChoice { ReadOnly, Retry, TakeOver };

// The question; `what` names what is locked ("склад", "база деталей
// \"/home/anna/Кухня.krb\""), and a lock of this computer may not be taken
// over. Without a question installed (tests, headless runs) the program's
// messages ask instead: "Повторить" tries again, "Отмена" opens read-only
// (the answer when nobody can be asked).
using LockQuestion = std::function<LockChoice(const QString& what, const LockHolder& holder)>;
void setLockQuestion(LockQuestion question);

// The text of the question: who holds what, and what read-only means.
QString lockedMessage(const QString& what, const LockHolder& holder);

class DataLock {
 public:
  explicit DataLock(QString lockPath);
  ~DataLock();
  DataLock(const DataLock&) = delete;
  DataLock& operator=(const DataLock&) = delete;

  const QString& path() const { return path_; }

  // Takes the lock, asking the lock question while another program holds
  // it. Returns true when locked; false means read-only access, and
  // readOnlyReason() says why (the holder, or a folder that cannot be
  // written).
  bool acquire(const QString& what);
  // Takes the lock without a question: false when another program holds
  // it (holder() then says who) or it cannot be made.
  bool tryAcquire();

  bool isLocked() const;
  // The holder found by the last acquire() or tryAcquire() that failed.
  const std::optional<LockHolder>& holder() const { return holder_; }
  const QString& readOnlyReason() const { return reason_; }
  // Whether the lock file still names this process: another computer's
  // user may have taken the lock over.
  bool stillHeld() const;
  // Removes the lock and its information file.
  void release();

  // The holder named by a lock file, or nothing when there is none.
  static std::optional<LockHolder> holderOf(const QString& lockPath);

 private:
  bool tryOnce();
  void writeInfo();

  QString path_;
  std::unique_ptr<QLockFile> lock_;
  std::optional<LockHolder> holder_;
  QString reason_;
};

}  // namespace kroyna::common
