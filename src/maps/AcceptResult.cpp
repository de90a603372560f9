#include "maps/AcceptResult.h"

#include "common/Messages.h"
#include "common/settings/MaterialSettings.h"
#include "common/settings/SettingsKeys.h"
#include "maps/MapsDocument.h"
#include "platform/dbase/Expr.h"
#include "platform/dbase/FileOps.h"
#include "platform/dbase/Table.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Literals.h"
#include "warehouse/StockModule.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace kroyna::maps {
namespace {

using dbase::col;
using warehouse::StockKind;
namespace fs = std::filesystem;

using text::u;

// Character fields are padded with blanks in the table.
std::string withoutTrailingBlanks(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  return s;
}

// A quantity no long long holds is refused (naming the table and the field)
// rather than read as some other number.
long long wholeMany(const dbase::Table& t) { return t.isNull("MANY") ? 0 : t.asInteger("MANY"); }

// Standard sheets each material and size of the used-sheets list took:
// initial − remaining of its entries (an entry that gives back more than
// it took counts as 0).
using SheetSize = std::tuple<int, std::int32_t, std::int32_t>;  // code, length, width
std::map<SheetSize, long long> sheetsUsed(const MapsDocument& doc) {
  std::map<SheetSize, long long> used;
  for (const UsedSheet& e : doc.usingSheets().entries())
    used[{e.materialCode, e.length, e.width}] +=
        std::max<long long>(0, static_cast<long long>(e.initial) - e.remaining);
  return used;
}

dbase::Expr sheetRows(const SheetSize& size) {
  return col("Length") == std::get<1>(size) && col("Width") == std::get<2>(size) && col("Code") == std::get<0>(size);
}

// Sheets of a material and size in the standard-sheet working copy, over
// all its rows of that size.
long long sheetsInStock(const fs::path& sheetsCopy, const SheetSize& size) {
  dbase::Table t = dbase::Table::open(sheetsCopy, dbase::OpenOptions{.readOnly = true});
  t.setFilter(sheetRows(size));
  t.setFiltered(true);
  long long many = 0;
  for (bool ok = t.first(); ok; ok = t.next()) many += wholeMany(t);
  return many;
}

// Takes `used` sheets out of the rows of that size in table order; rows
// that reach 0 stay.
void takeSheets(const fs::path& sheetsCopy, const SheetSize& size, long long used) {
  dbase::Table t = dbase::Table::open(sheetsCopy);
  t.setFilter(sheetRows(size));
  t.setFiltered(true);
  std::vector<dbase::Bookmark> rows;
  for (bool ok = t.first(); ok; ok = t.next()) rows.push_back(t.bookmark());
  for (const dbase::Bookmark& row : rows) {
    if (used <= 0) break;
    if (!t.gotoBookmark(row)) continue;
    const long long many = wholeMany(t);
    if (many <= 0) continue;
    const long long taken = std::min(many, used);
    t.edit();
    t.setDouble("MANY", static_cast<double>(many - taken));
    t.post();
    used -= taken;
  }
  t.close();
}

fs::path backupOf(const fs::path& workingCopy) {
  fs::path p = workingCopy;
  p.replace_filename(workingCopy.stem().string() + ".accept" + workingCopy.extension().string());
  return p;
}

// What the command may change, as it was before, so that a failure can put
// it back.
struct Snapshot {
  bool sheetsChanged = false;
  bool scrapsChanged = false;
  bool modified = false;
  bool viewsOpen = false;
  // Mark records of the document's materials: the value, or nothing when
  // the key was missing.
  std::map<int, std::optional<std::string>> marks;
  struct Renamed {
    int map = 0;
    int offcut = 0;
    QString name;
  };
  std::vector<Renamed> renamed;
  std::vector<std::pair<fs::path, fs::path>> files;  // working copy, backup
};

}  // namespace

QString tooFewSheetsMessage(const std::string& material, std::int32_t length, std::int32_t width, long long inStock,
                            long long used) {
  const QString name = material.empty() ? QString() : QStringLiteral(" <%1>").arg(QString::fromStdString(material));
  return u(kTooFewSheets)
      .arg(name, QString::number(length), QString::number(width), QString::number(inStock), QString::number(used));
}

ResultAcceptance::ResultAcceptance(warehouse::StockModule& stock, ini::IniFile& settings, AcceptJournal* journal)
    : stock_(stock), settings_(settings), journal_(journal) {}

void ResultAcceptance::takeOffcutSheets(const MapsDocument& document, int index) {
  const SheetMap& m = document.map(index);
  dbase::Table t = dbase::Table::open(stock_.workingCopy(StockKind::Scraps));
  t.setFilter(col("Length") == m.length && col("Width") == m.width && col("Code") == m.MaterialCode);
  t.setFiltered(true);
  // The stock name must match exactly: an offcut without a name is taken
  // only from rows without a name, never from named offcuts of that size.
  const std::string name = withoutTrailingBlanks(m.SheetName);
  std::vector<dbase::Bookmark> rows;
  for (bool ok = t.first(); ok; ok = t.next())
    if (withoutTrailingBlanks(t.asString("NAME")) == name) rows.push_back(t.bookmark());
  long long left = m.Quantity;
  for (const dbase::Bookmark& row : rows) {
    if (left <= 0) break;
    if (!t.gotoBookmark(row)) continue;
    const long long many = wholeMany(t);
    if (many > left) {
      t.edit();
      t.setDouble("MANY", static_cast<double>(many - left));
      t.post();
      left = 0;
    } else {
      t.remove();
      left -= std::max(0LL, many);
    }
  }
  t.close();
}

QString ResultAcceptance::apply(MapsDocument& doc, const dbase::Date& today) {
  Snapshot snap;
  const fs::path sheetsCopy = stock_.workingCopy(StockKind::Sheets);
  const fs::path scrapsCopy = stock_.workingCopy(StockKind::Scraps);
  try {
    stock_.postPending();
    // Sheets the maps used must still be in stock: the stock may have
    // changed since the run (another result accepted, sheets edited).
    for (const auto& [size, used] : sheetsUsed(doc)) {
      const long long inStock = sheetsInStock(sheetsCopy, size);
      if (used > inStock)
        return tooFewSheetsMessage(stock_.materialName(std::get<0>(size)), std::get<1>(size), std::get<2>(size),
                                   inStock, used);
    }
    snap.sheetsChanged = stock_.sheetsChanged();
    snap.scrapsChanged = stock_.scrapsChanged();
    snap.modified = doc.isModified();
    snap.viewsOpen = stock_.tblSheets().isOpen() || stock_.tblScraps().isOpen();
    for (int i = 0; i < doc.mapCount(); ++i) {
      const int code = doc.map(i).MaterialCode;
      if (snap.marks.count(code)) continue;
      snap.marks[code] = common::MaterialSettings(code).storedOffcutCodes(settings_);
    }
    for (const fs::path& copy : {sheetsCopy, scrapsCopy}) {
      dbase::copyOver(copy, backupOf(copy));
      snap.files.emplace_back(copy, backupOf(copy));
    }
  } catch (const std::exception& e) {
    for (const auto& [copy, backup] : snap.files) {
      try {
        dbase::removeFile(backup);
      } catch (const std::exception&) {
      }
    }
    return QString::fromStdString(e.what());
  }

  enum class Step { Stock, Merge, Sheets, Refresh } step = Step::Stock;
  QString failure;
  try {
    const bool autoMark = common::read(settings_, common::keys::AutoOffcutMarks);
    // Maps in tab order: offcuts cut up leave the stock, useful offcuts
    // come in.
    for (int i = 0; i < doc.mapCount(); ++i) {
      if (doc.map(i).IsScraps) takeOffcutSheets(doc, i);
      for (int j = 0; j < static_cast<int>(doc.map(i).Offcuts.size()); ++j) {
        const SheetMap& m = doc.map(i);
        const MapOffcut& o = m.Offcuts[static_cast<std::size_t>(j)];
        if (!o.useful()) continue;
        QString name = QString::fromStdString(o.ScrapName);
        if (autoMark && name.trimmed().isEmpty()) {
          const QString old = QString::fromStdString(o.ScrapName);
          name = QString::fromStdString(stock_.nextMark(settings_, m.MaterialCode));
          snap.renamed.push_back({i, j, old});
          doc.renameOffcut(i, j, name);
        }
        const SheetMap& after = doc.map(i);
        const MapOffcut& booked = after.Offcuts[static_cast<std::size_t>(j)];
        stock_.bookInOffcut(name.toStdString(), booked.length, booked.width, after.Quantity, after.MaterialCode, today);
      }
    }
    step = Step::Merge;
    stock_.setChanged(StockKind::Scraps, true);
    stock_.mergeOffcuts();

    step = Step::Sheets;
    // What the maps used is taken out of what the stock holds now.
    for (const auto& [size, used] : sheetsUsed(doc)) {
      if (used <= 0) continue;
      takeSheets(sheetsCopy, size, used);
      stock_.setChanged(StockKind::Sheets, true);
    }

    step = Step::Refresh;
    if (snap.viewsOpen) stock_.reselect();
  } catch (const std::exception& e) {
    switch (step) {
      case Step::Stock: failure = QString::fromStdString(e.what()); break;
      case Step::Merge: failure = u(kMergeFailed); break;
      case Step::Sheets: failure = u(kSheetsFailed); break;
      case Step::Refresh: failure = u(kRefreshFailed); break;
    }
  }

  if (failure.isEmpty()) {
    for (const auto& [copy, backup] : snap.files) {
      try {
        dbase::removeFile(backup);
      } catch (const std::exception&) {
        // A stale backup beside the working copy harms nothing.
      }
    }
    return {};
  }

  // Everything back as it was.
  QStringList notRestored;
  for (auto it = snap.renamed.rbegin(); it != snap.renamed.rend(); ++it)
    doc.renameOffcut(it->map, it->offcut, it->name);
  doc.setModified(snap.modified);
  try {
    settings_.batch([&] {
      for (const auto& [code, mark] : snap.marks) common::MaterialSettings(code).restoreOffcutCodes(settings_, mark);
    });
  } catch (const std::exception& e) {
    notRestored << QString::fromStdString(e.what());
  }
  try {
    // The working copies are about to get their earlier content back.
    stock_.discardViews();
    for (const auto& [copy, backup] : snap.files) dbase::copyOver(backup, copy);
    for (const auto& [copy, backup] : snap.files) dbase::removeFile(backup);
  } catch (const std::exception& e) {
    notRestored << QString::fromStdString(e.what());
  }
  try {
    if (snap.viewsOpen) stock_.reselect();
  } catch (const std::exception& e) {
    notRestored << QString::fromStdString(e.what());
  }
  stock_.setChanged(StockKind::Sheets, snap.sheetsChanged);
  stock_.setChanged(StockKind::Scraps, snap.scrapsChanged);
  if (!notRestored.isEmpty())
    failure += u("\r\rСклад не удалось вернуть в прежнее состояние: ") + notRestored.join(u("; "));
  return failure;
}

bool acceptResultCommand(MapsDocument& document, ResultAcceptance& acceptance, QWidget* parent, const QDateTime& now) {
  // The digest before the accept: the names it may give offcuts are not
  // part of it anyway.
  const QString digest = mapsDigest(document);
  if (AcceptJournal* journal = acceptance.journal()) {
    const JournalContents known = journal->read();
    if (!known.problem.isEmpty())
      common::showMessage(known.problem + u("\r\rПроверка повторного принятия идёт по прочитанным записям."),
                          common::MsgIcon::Warning, common::MsgButtons::Ok, parent);
    if (const std::optional<AcceptEntry> earlier = AcceptJournal::latest(known, digest))
      if (common::showMessage(u(kAcceptedBefore).arg(acceptTimeText(earlier->when)), common::MsgIcon::Confirmation,
                              common::MsgButtons::YesNoDefaultNo, parent) != common::MsgResult::Yes)
        return false;
  }
  if (common::showMessage(u(kAcceptQuestion), common::MsgIcon::Confirmation, common::MsgButtons::YesNo, parent) !=
      common::MsgResult::Yes)
    return false;
  const QString failure =
      acceptance.apply(document, dbase::Date{now.date().year(), now.date().month(), now.date().day()});
  if (!failure.isEmpty()) {
    common::showError(failure, parent);
    return false;
  }
  if (AcceptJournal* journal = acceptance.journal()) {
    try {
      journal->append({digest, now, document.caption()});
    } catch (const std::exception& e) {
      common::showMessage(u(kJournalNotWritten).arg(QString::fromUtf8(e.what())), common::MsgIcon::Warning,
                          common::MsgButtons::Ok, parent);
    }
  }
  return true;
}

}  // namespace kroyna::maps
