// Two programs on one data root (two computers sharing the folder): the
// first holds the stock, the second gets it read-only and can neither save
// it nor touch the first one's working copies.
#include "common/DataLock.h"
#include "support/ChildProcess.h"
#include "warehouse/StockFixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSysInfo>

#include <gtest/gtest.h>

#include <iostream>
#include <string>

namespace kroyna::testing {
namespace {

using warehouse::StockKind;

long long sheetsInStock(const std::filesystem::path& table) {
  dbase::Table t = dbase::Table::open(table, dbase::OpenOptions{.readOnly = true});
  long long many = 0;
  for (bool on = t.first(); on && !t.eof(); t.next()) many += t.asInteger("MANY");
  return many;
}

// The first program: opens the stock of KROYNA_DATA_ROOT, adds five sheets
// to its working copy, says "ready", and saves when a line comes in.
[[maybe_unused]] const bool holderRegistered = registerChild("stock-holder", [] {
  const std::filesystem::path root = qEnvironmentVariable("KROYNA_DATA_ROOT").toStdString();
  warehouse::TableMaterials materials(root / "Sheets" / "Types.dbf");
  warehouse::StockModule stock(root, materials);
  stock.makeWorkingCopy(StockKind::Sheets);
  stock.makeWorkingCopy(StockKind::Scraps);
  if (stock.readOnly()) return 2;
  stock.addSheets(2800, 2070, 5, 3);
  std::cout << "ready" << std::endl;
  std::string line;
  std::getline(std::cin, line);
  stock.save(StockKind::Sheets);
  std::cout << "saved" << std::endl;
  return 0;
});

bool waitForLine(QProcess& p, const QByteArray& line) {
  QByteArray seen;
  while (p.waitForReadyRead(20000)) {
    seen += p.readAllStandardOutput();
    if (seen.contains(line + '\n')) return true;
  }
  return false;
}

}  // namespace

TEST(TwoPrograms, TheSecondCannotSaveTheStockAndTheFirstLosesNothing) {
  StockFolder folder;
  folder.storeSheet(2800, 2070, 1, 3);
  const auto stored = folder.stored(StockKind::Sheets);
  const auto firstCopy = folder.root() / "Temp" / "TempSh.dbf";

  QProcess first;
  QProcessEnvironment env;
  env.insert(QStringLiteral("KROYNA_DATA_ROOT"), QString::fromStdString(folder.root().string()));
  startChild(first, "stock-holder", env, QCoreApplication::applicationFilePath());
  ASSERT_TRUE(waitForLine(first, "ready")) << first.readAllStandardError().toStdString();
  ASSERT_EQ(sheetsInStock(firstCopy), 6);

  // The second program is told who holds the stock and opens it read-only.
  QStringList messages;
  {
    common::ScopedMessageHandler answer([&](const QString& text, common::MsgIcon, common::MsgButtons) {
      messages << text;
      return common::MsgResult::Cancel;
    });
    auto second = folder.openModule();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("компьютер «%1»").arg(QSysInfo::machineHostName())))
        << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("пользователь «"))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("процесс %1").arg(first.processId()))) << messages[0].toStdString();
    EXPECT_TRUE(second->readOnly());
    // It sees the stored stock, lays out and changes it in copies of its own.
    EXPECT_EQ(sheetsInStock(second->workingCopy(StockKind::Sheets)), 1);
    second->addSheets(3000, 2000, 7, 3);
    EXPECT_THROW(second->save(StockKind::Sheets), warehouse::StockReadOnlyError);
    EXPECT_THROW(second->save(StockKind::Scraps), warehouse::StockReadOnlyError);
    EXPECT_EQ(sheetsInStock(stored), 1);
    EXPECT_EQ(sheetsInStock(firstCopy), 6);  // the first one's unsaved work is still there
  }

  first.write("save\n");
  ASSERT_TRUE(waitForLine(first, "saved")) << first.readAllStandardError().toStdString();
  ASSERT_TRUE(first.waitForFinished(20000));
  EXPECT_EQ(first.exitCode(), 0);
  EXPECT_EQ(sheetsInStock(stored), 6);
  // Its lock went with it: the next program has the stock to itself.
  auto next = folder.openModule();
  EXPECT_FALSE(next->readOnly());
}

TEST(TwoPrograms, AStockLockOfAnotherComputerIsTakenOverOnlyWhenConfirmed) {
  StockFolder folder;
  const QString lockPath = QString::fromStdString(warehouse::StockModule::lockPath(folder.root()).string());
  {
    QFile lock(lockPath);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("4242\nkroyna\nofis-pc\n");
  }
  QStringList asked;
  common::setLockQuestion([&](const QString& what, const common::LockHolder& holder) {
    asked << what + QStringLiteral(" / ") + common::holderText(holder);
    return common::LockChoice::TakeOver;
  });
  {
    common::ScopedMessageHandler confirm(
        [](const QString&, common::MsgIcon, common::MsgButtons) { return common::MsgResult::Yes; });
    auto stock = folder.openModule();
    EXPECT_FALSE(stock->readOnly());
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(QStringLiteral("компьютер «ofis-pc»"))) << asked[0].toStdString();
    // The other computer takes it back after its own user confirmed: this
    // program no longer saves, and leaves that computer's lock in place.
    {
      QFile lock(lockPath);
      ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
      lock.write("4343\nkroyna\nofis-pc\n");
    }
    EXPECT_THROW(stock->save(StockKind::Sheets), warehouse::StockReadOnlyError);
  }
  common::setLockQuestion({});
  const auto holder = common::DataLock::holderOf(lockPath);
  ASSERT_TRUE(holder.has_value());
  EXPECT_EQ(holder->pid, 4343);
}

}  // namespace kroyna::testing
