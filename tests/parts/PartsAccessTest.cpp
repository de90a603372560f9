// A parts base that may not be written opens read-only, a base another
// program holds is locked, and columns another program added to the data
// table survive opening and saving. The tests run as root, who may write
// anything: the permission check is replaced through
// PartsDocument::setWritableCheck.
#include "common/DataLock.h"
#include "parts/GroupFiles.h"
#include "parts/PartsTestSupport.h"
#include "parts/ui/PartsWindow.h"
#include "platform/dbase/DbfFile.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace kroyna::parts::test {
namespace {

QByteArray bytesOf(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A base Groups/<name>.krb whose table holds the parts fields, the columns
// PRICE N(10,2) and NOTE C(20) of another program, and the rows "А" and
// "В" with the row "Б" between them marked deleted.
QString writeForeignBase(PartsFolder& folder, const QString& name) {
  dbase::DbfTable t = dbase::readDbfFile(folder.path(QStringLiteral("Pattern/Group.dbf")).toStdString());
  t.fields.push_back(dbase::FieldDef::numeric("PRICE", 10, 2));
  t.fields.push_back(dbase::FieldDef::character("NOTE", 20));
  const auto row = [&](const char* n, int length, double price, const char* note, bool deleted) {
    dbase::DbfRecord r;
    r.deleted = deleted;
    r.values = {dbase::Value(n), length, 300, 2, 0, 0, 0, 0, 0, 1, price, dbase::Value(note)};
    t.records.push_back(std::move(r));
  };
  row("А", 1000, 12.5, "дуб", false);
  row("Б", 1100, 1, "удалена", true);
  row("В", 1200, 7.25, "ясень", false);
  const QString header = folder.path(QStringLiteral("Groups/") + name + QStringLiteral(".krb"));
  dbase::writeDbfFile(folder.path(QStringLiteral("Groups/") + name + QStringLiteral(".dbf")).toStdString(), t);
  writeGroupHeader(header, GroupHeader{name + QStringLiteral(".dbf"), {}});
  return header;
}

// The extra columns of a stored table as "name price note" per live row.
QStringList extraColumns(const QString& path) {
  const dbase::DbfTable t = dbase::readDbfFile(path.toStdString());
  const int price = dbase::findField(t.fields, "PRICE");
  const int note = dbase::findField(t.fields, "NOTE");
  QStringList out;
  for (const dbase::DbfRecord& r : t.records)
    if (!r.deleted)
      out << QString::fromStdString(r.values[0].toString() + " " +
                                    (price < 0 ? "-" : r.values[static_cast<std::size_t>(price)].toString()) + " " +
                                    (note < 0 ? "-" : r.values[static_cast<std::size_t>(note)].toString()));
  return out;
}

struct WritableScope {
  explicit WritableScope(PartsDocument::WritableCheck check) { PartsDocument::setWritableCheck(std::move(check)); }
  ~WritableScope() { PartsDocument::setWritableCheck({}); }
};

// A lock of a program on another computer, in the lock file's own format.
void lockFromAnotherComputer(const QString& lockPath) {
  QFile lock(lockPath);
  ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
  lock.write("4242\nkroyna\nceh-pila\n");
  lock.close();
  QFile info(lockPath + QStringLiteral(".user"));
  ASSERT_TRUE(info.open(QIODevice::WriteOnly));
  info.write("4242\nceh-pila\nmaster\n");
}

}  // namespace

TEST(PartsAccess, ExtraColumnsSurviveOpeningAndSaving) {
  PartsFolder folder;
  MessageLog log;
  const QString header = writeForeignBase(folder, QStringLiteral("Чужая"));
  const QString data = folder.path(QStringLiteral("Groups/Чужая.dbf"));
  auto doc = folder.document();
  ASSERT_TRUE(doc->LoadGroup(header));
  // Opening compacts the table and keeps the other program's columns.
  EXPECT_EQ(extraColumns(data), (QStringList{"А 12.5 дуб", "В 7.25 ясень"}));
  EXPECT_FALSE(doc->isReadOnly());

  // Rows move, go and come: every value stays with its row.
  doc->copyRow(0);
  doc->removeRow(2);
  doc->AppendDetal(QStringLiteral("Г"), 500, 400, 1, 0, 0, 0, 0, 0, 1);
  ASSERT_EQ(doc->SaveGroup(false), SaveResult::Saved);
  EXPECT_EQ(extraColumns(data), (QStringList{"А 12.5 дуб", "А 12.5 дуб", "Г  "}));
  EXPECT_TRUE(log.texts.isEmpty()) << log.texts.join('|').toStdString();
}

TEST(PartsAccess, BaseThatMayNotBeWrittenOpensReadOnlyAndUncompacted) {
  // The header, the table or their folder: any one that may not be written.
  for (const QString& denied :
       {QStringLiteral("Groups/Т.krb"), QStringLiteral("Groups/Т.dbf"), QStringLiteral("Groups")}) {
    SCOPED_TRACE(denied.toStdString());
    PartsFolder folder;
    MessageLog log;
    const QString header = writeForeignBase(folder, QStringLiteral("Т"));
    const QString data = folder.path(QStringLiteral("Groups/Т.dbf"));
    const QByteArray before = bytesOf(data);
    const WritableScope scope([&](const QString& path) { return QFileInfo(path) != QFileInfo(folder.path(denied)); });
    auto doc = folder.document();
    ASSERT_TRUE(doc->LoadGroup(header));
    EXPECT_TRUE(doc->isReadOnly());
    EXPECT_EQ(doc->caption(), QStringLiteral("База деталей: Т.krb (только чтение)"));
    EXPECT_EQ(doc->rowCount(), 2);
    EXPECT_EQ(bytesOf(data), before);  // not compacted: the deleted row is still there

    // Saving asks for another name: the base's own is refused.
    doc->setCell(0, ColMany, QStringLiteral("5"));
    QStringList presets;
    QString chosen = header;
    doc->setNameChooser([&](const QString& preset) {
      presets << preset;
      return chosen;
    });
    EXPECT_EQ(doc->SaveGroup(false), SaveResult::Failed);
    EXPECT_EQ(bytesOf(data), before);
    ASSERT_EQ(presets, QStringList{header});
    EXPECT_TRUE(log.texts.last().contains(QStringLiteral("только для чтения"))) << log.texts.last().toStdString();
    chosen = folder.path(QStringLiteral("Копия.krb"));
    ASSERT_EQ(doc->SaveGroup(false), SaveResult::Saved);
    EXPECT_FALSE(doc->isReadOnly());
    EXPECT_EQ(doc->caption(), QStringLiteral("База деталей: Копия.krb"));
    EXPECT_EQ(extraColumns(folder.path(QStringLiteral("Копия.dbf"))), (QStringList{"А 12.5 дуб", "В 7.25 ясень"}));
  }
}

TEST(PartsAccess, SaveButtonsOfAReadOnlyBaseAreOff) {
  PartsFolder folder;
  MessageLog log;
  const QString header = writeForeignBase(folder, QStringLiteral("Окно"));
  const WritableScope scope([](const QString& path) { return !path.endsWith(QStringLiteral(".dbf")); });
  PartsWindow window(folder.root(), folder.settings());
  ASSERT_TRUE(window.LoadGroup(header));
  window.document().setCell(0, ColMany, QStringLiteral("5"));
  auto* save = window.findChild<QAction*>(QStringLiteral("actSave"));
  ASSERT_NE(save, nullptr);
  EXPECT_FALSE(save->isEnabled());
  EXPECT_TRUE(window.windowTitle().contains(QStringLiteral("(только чтение)")));
}

TEST(PartsAccess, BaseOfAnotherProgramIsLockedAndTakenOverOnlyWhenConfirmed) {
  PartsFolder folder;
  MessageLog log;
  const QString header = writeForeignBase(folder, QStringLiteral("Занятая"));
  const QString lockPath = PartsDocument::lockPathOf(folder.path(QStringLiteral("Groups/Занятая.dbf")));
  lockFromAnotherComputer(lockPath);
  QStringList asked;
  std::vector<common::LockChoice> choices{common::LockChoice::ReadOnly};
  common::setLockQuestion([&](const QString& what, const common::LockHolder& holder) {
    asked << what + QStringLiteral(": ") + common::holderText(holder);
    const common::LockChoice c = choices.front();
    choices.erase(choices.begin());
    return c;
  });
  {
    auto doc = folder.document();
    ASSERT_TRUE(doc->LoadGroup(header));
    EXPECT_TRUE(doc->isReadOnly());
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(QStringLiteral("Занятая.krb"))) << asked[0].toStdString();
    EXPECT_TRUE(asked[0].contains(QStringLiteral("компьютер «ceh-pila», пользователь «master»")))
        << asked[0].toStdString();
    doc->closeDocument();
    EXPECT_TRUE(QFile::exists(lockPath));  // the other program's lock stays
  }
  // Taking over asks for confirmation; "Нет" asks again.
  choices = {common::LockChoice::TakeOver, common::LockChoice::TakeOver};
  int confirmations = 0;
  {
    common::ScopedMessageHandler confirm([&](const QString&, common::MsgIcon, common::MsgButtons) {
      return ++confirmations == 1 ? common::MsgResult::No : common::MsgResult::Yes;
    });
    auto doc = folder.document();
    ASSERT_TRUE(doc->LoadGroup(header));
    EXPECT_FALSE(doc->isReadOnly());
    EXPECT_EQ(confirmations, 2);
    const auto holder = common::DataLock::holderOf(lockPath);
    ASSERT_TRUE(holder.has_value());
    EXPECT_EQ(holder->pid, QCoreApplication::applicationPid());
  }
  common::setLockQuestion({});
}

}  // namespace kroyna::parts::test
