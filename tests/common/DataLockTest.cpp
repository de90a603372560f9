// Locks of shared files: who holds them, stale locks of this computer,
// retrying, and read-only access when nothing else is possible.
#include "common/DataLock.h"

#include "common/Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace kroyna::common {
namespace {

void writeLock(const QString& path, const QByteArray& pid, const QString& host) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(pid + "\nkroyna\n" + host.toUtf8() + "\n");
}

struct QuestionScope {
  explicit QuestionScope(LockQuestion q) { setLockQuestion(std::move(q)); }
  ~QuestionScope() { setLockQuestion({}); }
};

}  // namespace

TEST(DataLock, StaleLockOfThisComputerIsTakenOverWithoutAQuestion) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("a.lck"));
  writeLock(path, "999999", QSysInfo::machineHostName());  // a process that no longer runs
  int questions = 0;
  const QuestionScope scope([&](const QString&, const LockHolder&) {
    ++questions;
    return LockChoice::ReadOnly;
  });
  DataLock lock(path);
  EXPECT_TRUE(lock.acquire(QStringLiteral("склад")));
  EXPECT_EQ(questions, 0);
  EXPECT_TRUE(lock.stillHeld());
  const auto holder = DataLock::holderOf(path);
  ASSERT_TRUE(holder.has_value());
  EXPECT_EQ(holder->pid, QCoreApplication::applicationPid());
  EXPECT_TRUE(holder->sameHost);
  lock.release();
  EXPECT_FALSE(QFile::exists(path));
  EXPECT_FALSE(QFile::exists(path + QStringLiteral(".user")));
}

TEST(DataLock, ALiveLockAsksUntilTheUserGivesUp) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("b.lck"));
  DataLock holder(path);
  ASSERT_TRUE(holder.tryAcquire());
  // Retry while the lock is held; then read-only. This computer's lock is
  // never taken over, whatever the answer.
  std::vector<LockChoice> answers{LockChoice::Retry, LockChoice::TakeOver, LockChoice::ReadOnly};
  QStringList asked;
  const QuestionScope scope([&](const QString& what, const LockHolder& h) {
    asked << lockedMessage(what, h);
    const LockChoice c = answers.front();
    answers.erase(answers.begin());
    return c;
  });
  DataLock second(path);
  EXPECT_FALSE(second.acquire(QStringLiteral("склад")));
  EXPECT_EQ(asked.size(), 3);
  EXPECT_TRUE(asked[0].startsWith(QStringLiteral("Открыто в другой программе: склад.\r"))) << asked[0].toStdString();
  EXPECT_FALSE(asked[0].contains(QStringLiteral("блокировку можно снять")));
  EXPECT_TRUE(second.readOnlyReason().contains(QSysInfo::machineHostName()));
  EXPECT_TRUE(holder.stillHeld());
  // Without a question, the program's messages ask ("Отмена": read-only).
  setLockQuestion({});
  QStringList shown;
  const ScopedMessageHandler messages([&](const QString& text, MsgIcon, MsgButtons buttons) {
    shown << text;
    EXPECT_EQ(buttons, MsgButtons::RetryCancel);
    return MsgResult::Cancel;
  });
  EXPECT_FALSE(second.acquire(QStringLiteral("склад")));
  EXPECT_EQ(shown.size(), 1);
}

TEST(DataLock, AFolderThatCannotBeWrittenGivesReadOnlyWithoutAQuestion) {
  DataLock lock(QStringLiteral("/proc/kroyna-no-such-folder/c.lck"));
  EXPECT_FALSE(lock.acquire(QStringLiteral("склад")));
  EXPECT_FALSE(lock.holder().has_value());
  EXPECT_TRUE(lock.readOnlyReason().startsWith(QStringLiteral("нет прав на запись")))
      << lock.readOnlyReason().toStdString();
}

}  // namespace kroyna::common
