#include "catalogues/CatalogueEditors.h"

#include "common/settings/AllMaterials.h"

#include "common/SettingsUtils.h"
#include "platform/dbase/FileOps.h"
#include "platform/dbase/Statements.h"
#include "platform/dbase/Table.h"
#include "platform/dbase/TableError.h"
#include "platform/ini/IniFile.h"

#include <QDir>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <string>
#include <system_error>

namespace kroyna::catalogues {

namespace fs = std::filesystem;

namespace {

// The whole number of a numeric cell, nothing for a blank one. A number no
// int holds is refused, naming the field and the table, rather than cut to
// fit (the editors write their rows back).
std::optional<int> wholeOf(const dbase::Value& v, const char* field, const fs::path& table) {
  if (!v.isNumber()) return std::nullopt;
  const double n = std::round(v.number());
  if (!(n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max()))
    throw dbase::TableError(table, std::string("В поле ") + field + " число " + v.toString() +
                                       " вне допустимого диапазона целых чисел (от " +
                                       std::to_string(std::numeric_limits<int>::min()) + " до " +
                                       std::to_string(std::numeric_limits<int>::max()) + ")");
  return static_cast<int>(n);
}

dbase::Value valueOf(const std::optional<int>& v) {
  if (v) return dbase::Value(*v);
  return dbase::Value();
}

// Writes `rows` into a fresh copy of the template at `target` (in Temp/).
void writeTemplateCopy(const CataloguePaths& paths, const char* templ, const fs::path& target,
                       const std::vector<dbase::Row>& rows) {
  dbase::createFromTemplate(paths.pattern(), templ, target);
  dbase::Table table = dbase::Table::open(target, {.cachedUpdates = true});
  for (const dbase::Row& row : rows) {
    table.append();
    table.setRow(row);
    table.post();
  }
  table.applyUpdates();
}

}  // namespace

MaterialList readMaterialList(const fs::path& table) {
  MaterialList list;
  try {
    const dbase::Table rows = dbase::select(dbase::RowSource(table), {"MATERIAL", "CODE"}, {}, {{"MATERIAL"}});
    for (std::size_t i = 0; i < rows.rowCount(); ++i) {
      const dbase::Row row = rows.rowAt(i);
      list.names << QString::fromStdString(row[0].toString());
      const auto code = wholeOf(row[1], "CODE", table);
      list.codes << (code ? QString::number(*code) : QString());
    }
  } catch (const std::exception& e) {
    throw CatalogueError(e.what());
  }
  return list;
}

int nextMaterialCode(const std::vector<std::optional<int>>& codes) {
  std::optional<int> largest;
  for (const auto& c : codes) {
    if (c && (!largest || *c > *largest)) largest = c;
  }
  if (!largest) return 1;
  if (*largest == std::numeric_limits<int>::max()) {
    // No code above the largest: the smallest one not in use.
    std::set<int> used{kAllMaterials};
    for (const auto& c : codes)
      if (c) used.insert(*c);
    return smallestFreeCode(used);
  }
  int next = *largest + 1;
  if (next == kAllMaterials) ++next;
  return next;
}

// ---- MaterialsEditor ----

MaterialsEditor::MaterialsEditor(CataloguePaths paths, fs::path currentTable)
    : paths_(std::move(paths)), currentTable_(std::move(currentTable)), workingCopy_(paths_.temp() / "TempTp.dbf") {
  try {
    std::error_code ec;
    fs::create_directories(paths_.temp(), ec);
    dbase::createFromTemplate(paths_.pattern(), kMaterialsTemplate, workingCopy_);
    if (dbase::fileExists(currentTable_)) dbase::insertSelect(workingCopy_, dbase::RowSource(currentTable_));
    const dbase::RowSource source(workingCopy_);
    const int nameField = dbase::findField(source.fields(), "MATERIAL");
    const int codeField = dbase::findField(source.fields(), "CODE");
    for (const dbase::Row& row : source.rows()) {
      rows_.push_back(
          {QString::fromStdString(row[nameField].toString()), wholeOf(row[codeField], "CODE", currentTable_)});
    }
  } catch (const std::exception& e) {
    try {
      dbase::removeFile(workingCopy_);
    } catch (...) {
    }
    throw CatalogueError(e.what());
  }
}

MaterialsEditor::~MaterialsEditor() { discardWorkingCopy(); }

void MaterialsEditor::discardWorkingCopy() {
  try {
    dbase::removeFile(workingCopy_);
  } catch (...) {
    // A working copy left in Temp/ is replaced the next time.
  }
}

void MaterialsEditor::setName(int i, const QString& name) {
  Row& r = rows_.at(i);
  if (r.name == name) return;
  r.name = name;
  modified_ = true;
}

int MaterialsEditor::addRow() {
  std::vector<std::optional<int>> codes;
  for (const Row& r : rows_) codes.push_back(r.code);
  rows_.push_back({QString(), nextMaterialCode(codes)});
  newRow_.set(rowCount() - 1, rows_.back(), modified_);
  modified_ = true;
  return newRow_.index();
}

void MaterialsEditor::removeRow(int i) {
  rows_.erase(rows_.begin() + i);
  newRow_.removed(i);
  modified_ = true;
}

bool MaterialsEditor::isUntouchedNewRow(int i) const { return newRow_.untouched(rows_, i); }

int MaterialsEditor::leaveNewRow() {
  const int i = newRow_.leave(rows_);
  if (i < 0) return -1;
  rows_.erase(rows_.begin() + i);
  modified_ = newRow_.modifiedBefore();
  return i;
}

void MaterialsEditor::save() {
  std::vector<dbase::Row> rows;
  rows.reserve(rows_.size());
  for (const Row& r : rows_) rows.push_back({dbase::Value(r.name.toStdString()), valueOf(r.code)});
  try {
    writeTemplateCopy(paths_, kMaterialsTemplate, workingCopy_, rows);
    dbase::copyOver(workingCopy_, currentTable_);
  } catch (const std::exception& e) {
    throw CatalogueError(std::string("Не удалось сохранить базу материалов.\r") + e.what());
  }
  modified_ = false;
}

// ---- EdgesEditor ----

int smallestFreeCode(const std::set<int>& used) {
  int code = 1;
  while (used.count(code)) ++code;
  return code;
}

EdgesEditor::EdgesEditor(CataloguePaths paths, fs::path currentTable)
    : paths_(std::move(paths)), table_(std::move(currentTable)) {
  reload();
}

void EdgesEditor::reload() {
  std::vector<Row> rows;
  std::set<int> used;
  try {
    if (dbase::fileExists(table_)) {
      const dbase::RowSource source(table_);
      const auto& f = source.fields();
      const int code = dbase::findField(f, "CODE"), name = dbase::findField(f, "NAME");
      const int colour = dbase::findField(f, "COLOR"), allowance = dbase::findField(f, "PRIPUSK");
      if (code < 0 || name < 0 || colour < 0 || allowance < 0) {
        throw std::runtime_error("в таблице нет полей CODE, NAME, COLOR, PRIPUSK");
      }
      for (const dbase::Row& r : source.rows()) {
        Row row;
        row.code = wholeOf(r[code], "CODE", table_);
        row.name = QString::fromStdString(r[name].toString());
        row.colour = wholeOf(r[colour], "COLOR", table_).value_or(0);
        row.allowance = wholeOf(r[allowance], "PRIPUSK", table_).value_or(0);
        if (row.code) used.insert(*row.code);
        rows.push_back(std::move(row));
      }
    }
  } catch (const std::exception& e) {
    throw CatalogueError(std::string("Не удалось прочитать базу кромок.\r") + e.what());
  }
  rows_ = std::move(rows);
  used_ = std::move(used);
  changed_ = false;
  newRow_.clear();
}

void EdgesEditor::post(int i, std::optional<int> previous) {
  if (previous) used_.erase(*previous);
  if (rows_.at(i).code) used_.insert(*rows_.at(i).code);
  changed_ = true;
}

bool EdgesEditor::setCode(int i, std::optional<int> code) {
  if (code && *code < 1) return false;
  const std::optional<int> previous = rows_.at(i).code;
  if (previous == code) return true;
  rows_.at(i).code = code;
  post(i, previous);
  return true;
}

void EdgesEditor::setName(int i, const QString& name) {
  if (rows_.at(i).name == name) return;
  rows_.at(i).name = name;
  post(i, rows_.at(i).code);
}

bool EdgesEditor::setAllowance(int i, int allowance) {
  if (allowance < 0) return false;
  if (rows_.at(i).allowance == allowance) return true;
  rows_.at(i).allowance = allowance;
  post(i, rows_.at(i).code);
  return true;
}

void EdgesEditor::setColour(int i, int colour) {
  if (rows_.at(i).colour == colour) return;
  rows_.at(i).colour = colour;
  post(i, rows_.at(i).code);
}

int EdgesEditor::addRow() {
  const bool changedBefore = changed_;
  Row row;
  row.code = smallestFreeCode(used_);
  rows_.push_back(row);
  post(rowCount() - 1, std::nullopt);
  newRow_.set(rowCount() - 1, row, changedBefore);
  return newRow_.index();
}

void EdgesEditor::removeRow(int i) {
  rows_.erase(rows_.begin() + i);
  newRow_.removed(i);
  changed_ = true;
}

bool EdgesEditor::isUntouchedNewRow(int i) const { return newRow_.untouched(rows_, i); }

int EdgesEditor::leaveNewRow() {
  const int i = newRow_.leave(rows_);
  if (i < 0) return -1;
  if (const std::optional<int> code = rows_[static_cast<std::size_t>(i)].code) used_.erase(*code);
  rows_.erase(rows_.begin() + i);
  changed_ = newRow_.modifiedBefore();
  return i;
}

void EdgesEditor::save() {
  std::vector<Row> rows = rows_;
  std::set<int> taken;
  for (const Row& r : rows) {
    if (r.code) taken.insert(*r.code);
  }
  for (Row& r : rows) {
    if (r.code) continue;
    try {
      const int code = common::randomUnusedCode(kAllMaterials, [&](int c) { return taken.count(c) > 0; });
      r.code = code;
      taken.insert(code);
    } catch (const std::runtime_error&) {
      throw CatalogueError(
          "Все коды кромок от 1 до 998 заняты: кромке без кода нельзя дать код.\r"
          "Удалите ненужные кромки или задайте код вручную. Изменения не сохранены.");
    }
  }
  std::vector<dbase::Row> out;
  out.reserve(rows.size());
  for (const Row& r : rows) {
    out.push_back(
        {valueOf(r.code), dbase::Value(r.name.toStdString()), dbase::Value(r.colour), dbase::Value(r.allowance)});
  }
  const fs::path staging = paths_.temp() / "TempBrd.dbf";
  try {
    std::error_code ec;
    fs::create_directories(paths_.temp(), ec);
    writeTemplateCopy(paths_, kEdgesTemplate, staging, out);
    dbase::copyOver(staging, table_);
    dbase::removeFile(staging);
  } catch (const std::exception& e) {
    try {
      dbase::removeFile(staging);
    } catch (...) {
    }
    throw CatalogueError(std::string("Не удалось сохранить базу кромок.\r") + e.what());
  }
  rows_ = std::move(rows);
  for (const Row& r : rows_) used_.insert(*r.code);
  changed_ = false;
  newRow_.clear();
}

// ---- Material search ----

namespace {

bool sameForSearch(QChar a, QChar b) {
  if (a == b) return true;
  const auto lower = [](QChar c) -> QChar {
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ? QChar(c.unicode() + 32) : c;
  };
  return lower(a) == lower(b);
}

}  // namespace

int findMaterialMatch(const QStringList& names, const QString& text) {
  if (names.isEmpty()) return -1;
  for (qsizetype k = text.size(); k >= 1; --k) {
    for (qsizetype i = 0; i < names.size(); ++i) {
      const QString& name = names[i];
      if (name.size() < k) continue;
      bool match = true;
      for (qsizetype j = 0; j < k && match; ++j) match = sameForSearch(name[j], text[j]);
      if (match) return static_cast<int>(i);
    }
  }
  return 0;
}

// ---- Catalogue switch ----

SwitchSettings loadSwitchSettings(ini::IniFile& ini, const QString& companionFolder) {
  SwitchSettings s;
  try {
    ini.reload();
    s.external = ini.readInt("MatBaseChange", "BaseType", 0) == 1;
    s.path = QString::fromStdString(ini.readString("MatBaseChange", "BasePath"));
  } catch (const std::exception&) {
    throw CatalogueError("Ошибка загрузки данных о диалоговом окне.");
  }
  if (s.path.trimmed().isEmpty() && !companionFolder.trimmed().isEmpty()) {
    QString folder = companionFolder.trimmed();
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\'))) folder += QLatin1Char('/');
    s.path = folder + QStringLiteral("Inbase/");
  }
  return s;
}

QString companionProgramFolder() { return qEnvironmentVariable("KROYNA_DESIGN_PROGPATH"); }

bool folderHoldsCatalogues(const QString& path) { return hasExternalFiles(externalFolder(path)); }

std::optional<QString> acceptSwitchSettings(ini::IniFile& ini, const SwitchSettings& settings) {
  if (settings.external) {
    const fs::path folder = externalFolder(settings.path);
    std::error_code ec;
    if (folder.empty() || !fs::is_regular_file(findFileIgnoringCase(folder, "listmat.ini"), ec)) {
      return QString::fromUtf8(kMsgNotFound);
    }
  }
  try {
    ini.batch([&] {
      ini.writeString("MatBaseChange", "BasePath", settings.path.toStdString());
      ini.writeInt("MatBaseChange", "BaseType", settings.external ? 1 : 0);
    });
  } catch (const std::exception&) {
    return QStringLiteral("Ошибка сохранения данных о диалоговом окне.");
  }
  return std::nullopt;
}

}  // namespace kroyna::catalogues
