// The example of a first start: the committed files are what the generator
// writes, a first start copies them and a later one never over the user's
// files, and the example order runs through as it is shipped.

#include "CuttingRunTestSupport.h"

#include "ExampleData.h"
#include "common/settings/SettingsKeys.h"
#include "parts/GroupFiles.h"
#include "platform/dbase/DbfFile.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

namespace kroyna::run::test {
namespace {

namespace fs = std::filesystem;

const QString kShipped = QStringLiteral(KROYNA_SOURCE_DATA_DIR);

std::string bytesOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path fsPath(const QString& path) { return fs::path(path.toStdString()); }

TEST(Example, CommittedFilesAreWhatTheGeneratorWrites) {
  QTemporaryDir dir;
  example::writeExample(fsPath(kShipped + QStringLiteral("/Pattern")), fsPath(dir.path()));
  std::set<std::string> listed;
  for (const std::string& f : example::exampleFiles()) {
    listed.insert(f);
    const fs::path committed = fsPath(kShipped + QStringLiteral("/Example/")) / f;
    ASSERT_TRUE(fs::exists(committed)) << f;
    EXPECT_EQ(bytesOf(fsPath(dir.path()) / f), bytesOf(committed))
        << f << ": run kroyna-example data/Pattern data/Example";
  }
  // Nothing else is shipped (a first start copies the whole folder).
  for (const auto& entry : fs::recursive_directory_iterator(fsPath(kShipped + QStringLiteral("/Example"))))
    if (entry.is_regular_file()) {
      EXPECT_TRUE(listed.count(fs::relative(entry.path(), fsPath(kShipped + QStringLiteral("/Example"))).string()))
          << entry.path();
    }
}

TEST(Example, TheOrderHasTwoMaterialsEdgesAndEveryRotationRule) {
  const QString groups = kShipped + QStringLiteral("/Example/Groups/");
  const parts::GroupHeader header = parts::readGroupHeader(groups + u("Пример.krb"));
  EXPECT_EQ(header.dataFileName, u("Пример.dbf"));
  const std::vector<parts::PartRow> rows = parts::readPartRows(groups + header.dataFileName);
  std::set<int> materials, rules, edges;
  for (const parts::PartRow& r : rows) {
    materials.insert(r.material);
    rules.insert(r.rotation);
    for (int e : {r.left, r.right, r.top, r.bottom})
      if (e) edges.insert(e);
  }
  EXPECT_EQ(materials, (std::set<int>{1, 2}));
  EXPECT_EQ(rules, (std::set<int>{0, 1, 2}));
  EXPECT_EQ(edges.size(), 2u);

  // Three materials and the two edge bandings of the order in the
  // catalogues; standard sheets and offcuts of every material in stock.
  const fs::path sheets = fsPath(kShipped + QStringLiteral("/Example/Sheets"));
  EXPECT_EQ(dbase::readDbfFile(sheets / "Types.dbf").records.size(), 3u);
  const dbase::DbfTable borders = dbase::readDbfFile(sheets / "Borders.dbf");
  std::set<int> edgeCodes;
  for (const auto& r : borders.records) edgeCodes.insert(static_cast<int>(r.values[0].number()));
  EXPECT_EQ(edgeCodes, edges);
  // A default edge of the catalogue: marked sides of a tab-separated list
  // come back banded.
  const ini::IniFile settings(fsPath(kShipped + QStringLiteral("/Example/Kroyna.ini")));
  EXPECT_EQ(edgeCodes.count(common::read(settings, common::keys::DefBorder)), 1u);
  std::set<int> stocked, offcuts;
  for (const auto& r : dbase::readDbfFile(sheets / "Sheets.dbf").records)
    stocked.insert(static_cast<int>(r.values[3].number()));
  for (const auto& r : dbase::readDbfFile(sheets / "Scraps.dbf").records)
    offcuts.insert(static_cast<int>(r.values[4].number()));
  EXPECT_EQ(stocked, (std::set<int>{1, 2, 3}));
  EXPECT_EQ(offcuts, (std::set<int>{1, 2, 3}));
}

TEST(Example, FirstStartOnlyAndNeverOverTheUsersFiles) {
  QTemporaryDir dir;
  const common::DataRoot root(dir.path() + QStringLiteral("/home"));
  ASSERT_FALSE(root.prepare(kShipped).has_value());
  for (const std::string& f : example::exampleFiles())
    EXPECT_EQ(bytesOf(fsPath(root.path(QString::fromStdString(f)))),
              bytesOf(fsPath(kShipped + QStringLiteral("/Example/")) / f))
        << f;
  EXPECT_TRUE(QDir(root.path(QStringLiteral("Sheets"))).entryList({QStringLiteral("*.part")}).isEmpty());

  // The user's own changes and deletions stay: a later start copies
  // nothing of the example again.
  QFile::remove(root.path(u("Groups/Пример.krb")));
  {
    QFile own(root.path(QStringLiteral("Sheets/Sheets.dbf")));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly | QIODevice::Truncate));
    own.write("user's own");
  }
  ASSERT_FALSE(root.prepare(kShipped).has_value());
  EXPECT_FALSE(QFileInfo::exists(root.path(u("Groups/Пример.krb"))));
  EXPECT_EQ(bytesOf(fsPath(root.path(QStringLiteral("Sheets/Sheets.dbf")))), "user's own");

  // A data root used before (it has a catalogue) gets no example at all,
  // and a file of the same name the user has is never replaced.
  QTemporaryDir other;
  const common::DataRoot used(other.path());
  QDir(other.path()).mkpath(QStringLiteral("Sheets"));
  QDir(other.path()).mkpath(QStringLiteral("Groups"));
  {
    QFile catalogue(used.path(QStringLiteral("Sheets/Materials.dbf")));
    ASSERT_TRUE(catalogue.open(QIODevice::WriteOnly));
  }
  ASSERT_FALSE(used.prepare(kShipped).has_value());
  EXPECT_FALSE(QFileInfo::exists(used.path(QStringLiteral("Kroyna.ini"))));
  EXPECT_FALSE(QFileInfo::exists(used.path(QStringLiteral("Sheets/Types.dbf"))));
  EXPECT_FALSE(QFileInfo::exists(used.path(u("Groups/Пример.krb"))));

  QTemporaryDir mine;
  const common::DataRoot fresh(mine.path());
  QDir(mine.path()).mkpath(QStringLiteral("Groups"));
  {
    QFile order(fresh.path(u("Groups/Пример.krb")));
    ASSERT_TRUE(order.open(QIODevice::WriteOnly));
    order.write("my order");
  }
  ASSERT_FALSE(fresh.prepare(kShipped).has_value());
  EXPECT_EQ(bytesOf(fsPath(fresh.path(u("Groups/Пример.krb")))), "my order");
  EXPECT_TRUE(QFileInfo::exists(fresh.path(QStringLiteral("Sheets/Types.dbf"))));
}

TEST(Example, AnInterruptedCopyIsMadeAgain) {
  QTemporaryDir dir;
  const common::DataRoot root(dir.path());
  QDir(dir.path()).mkpath(QStringLiteral("Sheets"));
  {
    // Left by a first start that stopped while copying: a new file the safe
    // writer had not yet put in place.
    QFile partial(root.path(QStringLiteral("Sheets/.Types.dbf.4242.0.new")));
    ASSERT_TRUE(partial.open(QIODevice::WriteOnly));
    partial.write("half");
  }
  ASSERT_FALSE(root.prepare(kShipped).has_value());
  EXPECT_EQ(bytesOf(fsPath(root.path(QStringLiteral("Sheets/Types.dbf")))),
            bytesOf(fsPath(kShipped + QStringLiteral("/Example/Sheets/Types.dbf"))));
}

parts::CatalogueLists exampleCatalogue() {
  parts::CatalogueLists c;
  c.materials.names = {u("<все материалы>"), u("ЛДСП Белый 16 мм"), u("ЛДСП Дуб сонома 16 мм"), u("ХДФ 3 мм")};
  c.materials.codes = {u("999"), u("1"), u("2"), u("3")};
  return c;
}

TEST(Example, TheShippedOrderRunsThroughWithTheShippedOptions) {
  RunFolder f(true);
  ASSERT_FALSE(f.prepareError.has_value());
  ASSERT_TRUE(f.openSource(f.path(u("Groups/Пример.krb"))));
  f.setCatalogue(exampleCatalogue());
  maps::MapsWindow* w = f.run();
  ASSERT_NE(w, nullptr);
  // No message: the options name sheets that are in stock, every part fits.
  EXPECT_TRUE(f.texts.isEmpty()) << f.texts.join(QLatin1Char('|')).toStdString();
  EXPECT_EQ(f.runOuts, 0);
  EXPECT_EQ(w->document().materialCodes(), (QList<int>{1, 2}));
  long long placed = 0;
  for (const maps::SheetMap& m : w->document().maps()) placed += static_cast<long long>(m.Quantity) * m.Parts.size();
  long long ordered = 0;
  for (const parts::PartRow& r : f.source().document().allRows()) ordered += r.quantity;
  EXPECT_EQ(placed, ordered);
  // Offcuts of the stock were offered and taken.
  bool onOffcut = false;
  for (const maps::SheetMap& m : w->document().maps()) onOffcut = onOffcut || m.IsScraps;
  EXPECT_TRUE(onOffcut);
  EXPECT_EQ(w->document().map(0).Remark, "Кухня (пример)");
  EXPECT_EQ(w->windowTitle(), u("Вариант раскроя 1: \"База деталей: Пример.krb\""));
}

}  // namespace
}  // namespace kroyna::run::test
