#include "models/ModelsBase.h"

#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/settings/AllMaterials.h"
#include "parts/GroupFiles.h"
#include "parts/PartsDocument.h"
#include "platform/dbase/FileOps.h"
#include "platform/dbase/Statements.h"
#include "platform/file/QtPaths.h"
#include "platform/file/SafeFile.h"
#include "platform/report/RecordSource.h"
#include "platform/report/Report.h"
#include "platform/text/Cp1251.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kroyna::models {

namespace fs = std::filesystem;

const QString ModelsBase::kAllModels = QStringLiteral("<Все модели>");
const QString ModelsBase::kSelectedModels = QStringLiteral("<Выбранные модели>");

namespace {

const QString kTemplateCopyFailed = QStringLiteral("Ошибка копирования файла шаблона базы деталей.");
const QString kBuildFailed = QStringLiteral("Ошибка создания базы деталей.");
const QString kGroupingFailed = QStringLiteral("Внутренняя ошибка при подсчёте одинаковых деталей!");
const QString kNoModelName = QStringLiteral("Необходимо указать название модели");
const QString kNoSection = QStringLiteral("Необходимо указать название раздела базы моделей");
const QString kAddModelFailed = QStringLiteral("Ошибка добавления в базу элементов!");
const QString kSectionTaken =
    QStringLiteral("Раздел базы моделей с указанным названием уже существует.\r\rПовторите ввод еще раз.");
const QString kRenameSectionFailed = QStringLiteral("Ошибка переименования раздела базы моделей.");
const QString kDeleteSectionFailed = QStringLiteral("Ошибка удаления раздела базы моделей.");
const QString kAddSectionFailed = QStringLiteral("Ошибка добавления раздела базы моделей.");
const QString kEditModelFailed = QStringLiteral("Ошибка изменения свойств модели.");
const QString kModelReadFailed = QStringLiteral("Ошибка чтения файла модели!");
const QString kExportFailed = QStringLiteral("Ошибка экспорта данных!");
const QString kModelsFileFailed = QStringLiteral("Ошибка открытия базы моделей.");

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& q) { return q.toStdString(); }
using platform::toPath;

void error(const QString& text) { common::showMessage(text, common::MsgIcon::Error); }
// A message of the program followed by the reason.
void error(const QString& text, const std::exception& e) {
  error(text + QStringLiteral("\r\r") + QString::fromUtf8(e.what()));
}

bool sameTable(const std::string& a, const std::string& b) { return text::equalsIgnoreCase(a, b); }

void removeQuietly(const QString& path) {
  try {
    dbase::removeFile(toPath(path));
  } catch (const std::exception&) {
  }
}

// Why a row cannot be held by a parts database, or an empty text: the
// limits its rows keep, so that every row added here is accepted.
QString unstorable(const parts::PartRow& r) {
  if (QString why = parts::checkName(q(r.name)); !why.isEmpty()) return why;
  for (long long v : {r.length, r.width, r.quantity, r.left, r.right, r.top, r.bottom, r.material})
    if (v < 0 || v > parts::kMaxNumber) return QStringLiteral("число %1 вне допустимых значений").arg(v);
  if (r.rotation < 0 || r.rotation > parts::kMaxRotation) return QStringLiteral("недопустимый код поворота");
  if (r.material == kAllMaterials) return QStringLiteral("недопустимый код материала");
  return {};
}

struct BuildError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The rows of a grouping result; throws when a sum cannot be held.
std::vector<parts::PartRow> groupedRows(const dbase::Table& table) {
  std::vector<parts::PartRow> rows;
  for (std::size_t i = 0; i < table.rowCount(); ++i) {
    const dbase::Row values = table.rowAt(i);
    auto whole = [&](int field) {
      const dbase::Value& v = values[static_cast<std::size_t>(field)];
      const double d = v.isNumber() ? v.number() : 0;
      if (!(d >= 0 && d <= parts::kMaxNumber)) throw BuildError("sum out of range");
      return static_cast<int>(std::llround(d));
    };
    parts::PartRow r = parts::partRowFromFields(values[0].isNull() ? std::string() : values[0].toString(), whole);
    if (!unstorable(r).isEmpty()) throw BuildError("row cannot be stored");
    rows.push_back(std::move(r));
  }
  return rows;
}

// Rows equal in everything but the quantity become one row with the summed
// quantity, ordered by the grouping fields.
std::vector<parts::PartRow> groupEqualParts(const QString& scratch) {
  using namespace dbase;
  const Table grouped =
      groupBySum(RowSource(toPath(scratch)),
                 {key("Name"), key("Length"), key("Width"), sum(col("Many"), "NewMany"), key("Rotate"), key("LBorder"),
                  key("RBorder"), key("TBorder"), key("BBorder"), key("Material")},
                 GroupOrder::ByKeys);
  return groupedRows(grouped);
}

}  // namespace

// ---- Free functions ----

QString ModelsPaths::tablePath(const std::string& tableName) const {
  const QString path = catalogFolder() + QLatin1Char('/') + q(tableName) + QStringLiteral(".dbf");
  // A table copied from Windows may spell its name in another case.
  return QFileInfo::exists(path) ? path : common::resolveStoredPath(path);
}

ModelsFile openModelsFile(const ModelsPaths& paths) {
  const QString file = paths.modelsFile();
  if (!QFileInfo::exists(file)) {
    if (!QFileInfo::exists(paths.patternModels()))
      throw ModelsFileError(
          ModelsFileError::Kind::Unreadable,
          s(QStringLiteral("Файл моделей \"%1\" не найден, и нет его шаблона \"%2\".")
                .arg(QDir::toNativeSeparators(file), QDir::toNativeSeparators(paths.patternModels()))));
    try {
      platform::copyFileAtomically(toPath(paths.patternModels()), toPath(file));
    } catch (const platform::FileError& e) {
      throw ModelsFileError(ModelsFileError::Kind::WriteFailed, e.what());
    }
  }
  return ModelsFile(toPath(file));
}

std::string newTableName(const ModelsPaths& paths, const ModelSectionList& sections) {
  for (int n = 0;; ++n) {
    const std::string name = "mdl" + std::to_string(n);
    bool named = false;
    for (const ModelSection& sec : sections)
      for (const ModelInfo& m : sec.models) named = named || sameTable(m.tableName, name);
    if (!named && !QFileInfo::exists(paths.tablePath(name))) return name;
  }
}

bool sectionNameLess(const std::string& a, const std::string& b) { return q(a).localeAwareCompare(q(b)) < 0; }

std::optional<std::int32_t> countFromText(const QString& text) {
  QString t = text.trimmed();
  if (t.isEmpty()) return 0;
  t.replace(QLatin1Char(','), QLatin1Char('.'));
  bool ok = false;
  const double value = QLocale::c().toDouble(t, &ok);
  if (!ok || std::isnan(value)) return std::nullopt;
  const double rounded = std::round(value);
  if (rounded <= 0) return 0;
  if (rounded >= std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(rounded);
}

QString checkModelProperties(const ModelProperties& p) {
  if (p.name.trimmed().isEmpty()) return kNoModelName;
  if (p.section.isEmpty()) return kNoSection;
  if (std::string why = checkRecordText(s(p.name)); !why.empty())
    return QStringLiteral("Название модели нельзя сохранить в файле моделей: %1.").arg(q(why));
  return {};
}

int preselectedSection(const QStringList& sections, const QString& given) {
  auto fold = [](QString t) {
    for (QChar& c : t)
      if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
    return t;
  };
  for (int i = 0; i < sections.size(); ++i)
    if (fold(sections[i]) == fold(given)) return i;
  return -1;
}

namespace {

QStringList sortedSectionNames(const ModelSectionList& sections) {
  std::vector<std::string> names;
  for (const ModelSection& sec : sections) names.push_back(sec.name);
  std::stable_sort(names.begin(), names.end(), sectionNameLess);
  QStringList out;
  for (const std::string& n : names) out << q(n);
  return out;
}

}  // namespace

std::optional<std::pair<std::string, ModelInfo>> addModelFromParts(const ModelsPaths& paths,
                                                                   const std::vector<parts::PartRow>& rows,
                                                                   const ModelsUi& ui, const QString& section) {
  if (!ui.askModelProperties) return std::nullopt;
  ModelSectionList sections;
  std::optional<ModelsFile> file;
  try {
    file = openModelsFile(paths);
    sections = file->load();
  } catch (const ModelsFileError& e) {
    error(kAddModelFailed, e);
    return std::nullopt;
  }
  const std::optional<ModelProperties> chosen =
      ui.askModelProperties(sortedSectionNames(sections), ModelProperties{section, QString()});
  if (!chosen) return std::nullopt;
  const int target = findSection(sections, s(chosen->section));
  if (target < 0) {
    error(kAddModelFailed);
    return std::nullopt;
  }
  const std::string storage = sections[static_cast<std::size_t>(target)].storageName;
  try {
    return std::make_pair(storage, addModelWithTable(paths, *file, storage, s(chosen->name), rows));
  } catch (const std::exception& e) {
    error(kAddModelFailed, e);
    return std::nullopt;
  }
}

ModelInfo addModelWithTable(const ModelsPaths& paths, ModelsFile& file, const std::string& storageName,
                            const std::string& name, const std::vector<parts::PartRow>& rows, NameOrigin origin) {
  QDir().mkpath(paths.catalogFolder());
  const std::string tableName = newTableName(paths, file.load());
  const QString table = paths.catalogFolder() + QLatin1Char('/') + q(tableName) + QStringLiteral(".dbf");
  try {
    parts::writePartTable(paths.groupTemplate(), table, rows);
    ModelInfo model;
    model.name = name;
    model.tableName = tableName;
    return file.addModel(storageName, model, origin);
  } catch (...) {
    if (QFileInfo::exists(table)) removeQuietly(table);
    throw;
  }
}

std::string modelExportBytes(const std::vector<parts::PartRow>& rows, const std::function<QString(int)>& materialName) {
  auto line = [](const std::string& utf8) {
    std::string one = utf8;
    for (char& c : one)
      if (c == '\r' || c == '\n') c = ' ';
    return text::utf8ToCp1251(one) + "\r\n";
  };
  std::string out = line("[DETALS]");
  int k = 0;
  for (const parts::PartRow& r : rows) {
    const std::string material = materialName ? s(materialName(r.material)) : std::string();
    out += line(std::to_string(++k) + "=\"" + r.name + "\"," + std::to_string(r.length) + "," +
                std::to_string(r.width) + "," + std::to_string(r.quantity) + ",\"" + material + "\"");
  }
  out += line("DCOUNT=" + std::to_string(k));
  return out;
}

// ---- ModelsBase ----

ModelsBase::ModelsBase(ModelsPaths paths, QObject* parent)
    : QObject(parent), paths_(std::move(paths)), file_(toPath(paths_.modelsFile())) {}

ModelsBase::~ModelsBase() = default;

bool ModelsBase::open() {
  try {
    file_ = openModelsFile(paths_);
    sections_ = file_.load();
  } catch (const ModelsFileError& e) {
    error(kModelsFileFailed, e);
    return false;
  }
  sortSections();
  entry_ = 0;
  emit entriesReset();
  rebuildRows();
  return true;
}

void ModelsBase::reload() {
  std::optional<Key> row;
  if (hasCurrentModel()) row = Key{rowSection(current_).storageName, rowModel(current_).streamName};
  readFile(isRealSection(entry_) ? sections_[static_cast<std::size_t>(entry_ - 2)].storageName : std::string(), entry_,
           row);
}

bool ModelsBase::readFile(const std::string& entryStorage, int fallbackEntry, const std::optional<Key>& keepRow) {
  ModelSectionList fresh;
  try {
    fresh = file_.load();
  } catch (const ModelsFileError& e) {
    error(kModelsFileFailed, e);
    return false;
  }
  // The counts follow their models.
  for (ModelSection& sec : fresh)
    for (ModelInfo& m : sec.models)
      for (const ModelSection& old : sections_)
        if (old.storageName == sec.storageName)
          for (const ModelInfo& o : old.models)
            if (o.streamName == m.streamName && o.tableName == m.tableName) m.count = o.count;
  sections_ = std::move(fresh);
  sortSections();
  int entry = entryStorage.empty() ? fallbackEntry : entryOfStorage(entryStorage);
  if (entry < 0 || entry >= 2 + static_cast<int>(sections_.size())) entry = 0;
  entry_ = entry;
  emit entriesReset();
  rebuildRows();
  if (keepRow)
    for (int r = 0; r < rowCount(); ++r)
      if (rowSection(r).storageName == keepRow->storage && rowModel(r).streamName == keepRow->stream) setCurrentRow(r);
  return true;
}

void ModelsBase::sortSections() {
  std::stable_sort(sections_.begin(), sections_.end(),
                   [](const ModelSection& a, const ModelSection& b) { return sectionNameLess(a.name, b.name); });
}

int ModelsBase::entryOfStorage(const std::string& storageName) const {
  for (std::size_t i = 0; i < sections_.size(); ++i)
    if (sections_[i].storageName == storageName) return static_cast<int>(i) + 2;
  return -1;
}

QStringList ModelsBase::entryNames() const {
  QStringList names{kAllModels, kSelectedModels};
  for (const ModelSection& sec : sections_) names << q(sec.name);
  return names;
}

void ModelsBase::showEntry(int entry) {
  if (entry < 0 || entry >= 2 + static_cast<int>(sections_.size())) return;
  entry_ = entry;
  rebuildRows();
}

void ModelsBase::rebuildRows() {
  rows_.clear();
  for (std::size_t si = 0; si < sections_.size(); ++si) {
    if (isRealSection(entry_) && static_cast<int>(si) != entry_ - 2) continue;
    for (std::size_t mi = 0; mi < sections_[si].models.size(); ++mi)
      if (entry_ != 1 || sections_[si].models[mi].count > 0)
        rows_.emplace_back(static_cast<int>(si), static_cast<int>(mi));
  }
  // The list is sorted by model name; models of one name keep the order of
  // their sections.
  std::stable_sort(rows_.begin(), rows_.end(), [this](const auto& a, const auto& b) {
    return q(sections_[a.first].models[a.second].name).localeAwareCompare(q(sections_[b.first].models[b.second].name)) <
           0;
  });
  current_ = rows_.empty() ? -1 : 0;
  emit rowsReset();
  emit currentRowChanged(current_);
}

const ModelInfo& ModelsBase::rowModel(int row) const {
  const auto& [si, mi] = rows_[static_cast<std::size_t>(row)];
  return sections_[static_cast<std::size_t>(si)].models[static_cast<std::size_t>(mi)];
}

const ModelSection& ModelsBase::rowSection(int row) const {
  return sections_[static_cast<std::size_t>(rows_[static_cast<std::size_t>(row)].first)];
}

void ModelsBase::setCurrentRow(int row) {
  if (row < -1 || row >= rowCount() || row == current_) return;
  current_ = row;
  emit currentRowChanged(row);
}

void ModelsBase::setCount(int row, std::int32_t count) {
  if (row < 0 || row >= rowCount()) return;
  const auto& [si, mi] = rows_[static_cast<std::size_t>(row)];
  sections_[static_cast<std::size_t>(si)].models[static_cast<std::size_t>(mi)].count = std::max<std::int32_t>(0, count);
  emit rowChanged(row);
}

void ModelsBase::setChecked(int row, bool checked) {
  if (row < 0 || row >= rowCount()) return;
  const std::int32_t count = rowModel(row).count;
  if (checked && count == 0) setCount(row, 1);
  if (!checked && count > 0) setCount(row, 0);
}

void ModelsBase::clearEntry() {
  for (std::size_t si = 0; si < sections_.size(); ++si)
    if (!isRealSection(entry_) || static_cast<int>(si) == entry_ - 2)
      for (ModelInfo& m : sections_[si].models) m.count = 0;
  const int keep = current_;
  rebuildRows();
  setCurrentRow(std::min(keep, rowCount() - 1));
}

void ModelsBase::clearAll() {
  for (ModelSection& sec : sections_)
    for (ModelInfo& m : sec.models) m.count = 0;
  const int keep = current_;
  rebuildRows();
  setCurrentRow(std::min(keep, rowCount() - 1));
}

// ---- Building a parts database ----

void ModelsBase::buildPartsBase() {
  if (!ui_.parts) return;
  parts::PartsDocument* doc = ui_.parts->newDocument();
  if (!doc) return;
  const QString scratch = paths_.tempFolder() + QStringLiteral("/OpenElem.dbf");
  auto fail = [&](const QString& text) {
    removeQuietly(scratch);
    ui_.parts->discard(doc);
    if (!text.isEmpty()) error(text);
  };
  try {
    QDir().mkpath(paths_.tempFolder());
    dbase::createFromTemplate(toPath(paths_.patternFolder()), "Group.dbf", toPath(scratch));
  } catch (const std::exception&) {
    fail(kTemplateCopyFailed);
    return;
  }
  if (!doc->CreateGroup()) {  // it has said why
    fail(QString());
    return;
  }

  // Every part of every selected model, its quantity times the model's
  // count, in section and model order. Models whose table is gone are
  // left out.
  std::vector<parts::ModelEntry> entries;
  std::vector<parts::PartRow> ungrouped;
  try {
    for (const ModelSection& sec : sections_)
      for (const ModelInfo& m : sec.models) {
        if (m.count <= 0) continue;
        const QString table = paths_.tablePath(m.tableName);
        if (!QFileInfo(table).isFile()) continue;
        for (parts::PartRow r : parts::readPartRows(table)) {
          const long long quantity = static_cast<long long>(r.quantity) * m.count;
          if (quantity < 0 || quantity > parts::kMaxNumber) throw BuildError("quantity out of range");
          r.quantity = static_cast<int>(quantity);
          if (!unstorable(r).isEmpty()) throw BuildError("row cannot be stored");
          ungrouped.push_back(std::move(r));
        }
        entries.push_back(parts::ModelEntry{q(m.name), QString::number(m.count)});
      }
  } catch (const std::exception&) {
    fail(kBuildFailed);
    return;
  }
  try {
    parts::writePartTable(scratch, scratch, ungrouped);
  } catch (const parts::GroupFileError&) {
    fail(kBuildFailed);
    return;
  }

  // Equal parts of several models become one row. When that fails the
  // rows go in as they are, so the base never names models whose parts
  // it lacks.
  std::vector<parts::PartRow> rows;
  try {
    rows = groupEqualParts(scratch);
  } catch (const std::exception&) {
    error(kGroupingFailed);
    rows = ungrouped;
  }
  for (const parts::PartRow& r : rows)
    if (!doc->AppendDetal(q(r.name), r.length, r.width, r.quantity, r.rotation, r.left, r.right, r.top, r.bottom,
                          r.material)) {
      fail(kBuildFailed);
      return;
    }
  doc->setModels(std::move(entries));
  doc->setModified(true);
  removeQuietly(scratch);
  ui_.parts->show(doc);
}

// ---- Sections ----

std::optional<QString> ModelsBase::askNewSectionName(const QString& initial, int exceptEntry) {
  if (!ui_.askSectionName) return std::nullopt;
  const QLocale locale = QLocale::system();
  QString text = initial;
  for (;;) {
    const std::optional<QString> name = ui_.askSectionName(text);
    if (!name) return std::nullopt;
    const QStringList entries = entryNames();
    bool taken = false;
    for (int i = 0; i < entries.size(); ++i)
      if (i != exceptEntry && locale.toUpper(entries[i]) == locale.toUpper(*name)) taken = true;
    if (taken) {
      error(kSectionTaken);
      text = *name;
      continue;
    }
    if (std::string why = checkRecordText(s(*name)); !why.empty()) {
      error(QStringLiteral("Название раздела нельзя сохранить в файле моделей: %1.").arg(q(why)));
      text = *name;
      continue;
    }
    return name;
  }
}

void ModelsBase::addSection() {
  const std::optional<QString> name = askNewSectionName(QString(), -1);
  if (!name) return;
  ModelSection made;
  try {
    made = file_.addSection(s(*name));
  } catch (const ModelsFileError& e) {
    error(kAddSectionFailed, e);
    reload();
    return;
  }
  readFile(made.storageName, 0);
}

void ModelsBase::renameSection() {
  if (!isRealSection(entry_)) return;
  const ModelSection section = sections_[static_cast<std::size_t>(entry_ - 2)];
  const std::optional<QString> name = askNewSectionName(q(section.name), entry_);
  if (!name) return;
  try {
    file_.renameSection(section, s(*name));
  } catch (const ModelsFileError& e) {
    error(kRenameSectionFailed, e);
    reload();
    return;
  }
  readFile(section.storageName, 0);
}

bool ModelsBase::tableOpen(const std::string& tableName) const {
  const QString table = paths_.tablePath(tableName);
  for (const parts::PartsDocument* doc : parts::PartsDocument::documents())
    if (doc->isOpen() && parts::PartsDocument::samePath(doc->dataPath(), table)) return true;
  return dbase::isTableOpen(toPath(table));
}

bool ModelsBase::tableStillNamed(const std::string& tableName) const {
  try {
    for (const ModelSection& sec : file_.load())
      for (const ModelInfo& m : sec.models)
        if (sameTable(m.tableName, tableName)) return true;
  } catch (const ModelsFileError&) {
    return true;  // when in doubt, a table stays
  }
  return false;
}

void ModelsBase::deleteSection() {
  if (!isRealSection(entry_)) return;
  const ModelSection section = sections_[static_cast<std::size_t>(entry_ - 2)];
  if (common::showMessage(QStringLiteral("Удалить раздел базы моделей?"), common::MsgIcon::Confirmation,
                          common::MsgButtons::YesNo) != common::MsgResult::Yes)
    return;
  if (common::showMessage(QStringLiteral("ВНИМАНИЕ!\r\rВсе данные в текущем разделе базы моделей будут уничтожены!"
                                         "\r\rПродолжить?"),
                          common::MsgIcon::Warning, common::MsgButtons::YesNo) != common::MsgResult::Yes)
    return;
  for (const ModelInfo& m : section.models)
    if (tableOpen(m.tableName)) {
      error(kDeleteSectionFailed + QStringLiteral("\r\rДетали модели \"%1\" открыты в окне базы деталей: закройте его "
                                                  "и повторите удаление.")
                                       .arg(q(m.name)));
      return;
    }
  // The records go first: a table is deleted only when no record names it.
  try {
    file_.removeSection(section);
  } catch (const ModelsFileError& e) {
    error(kDeleteSectionFailed, e);
    reload();
    return;
  }
  QStringList kept;
  for (const ModelInfo& m : section.models) {
    if (tableStillNamed(m.tableName)) continue;
    try {
      dbase::removeFile(toPath(paths_.tablePath(m.tableName)));
    } catch (const std::exception& e) {
      kept << QString::fromUtf8(e.what());
    }
  }
  readFile(std::string(), 0);
  if (!kept.isEmpty())
    error(kDeleteSectionFailed + QStringLiteral("\r\rРаздел удалён, но не удалось удалить файлы деталей моделей:\r") +
          kept.join(QLatin1Char('\r')));
}

// ---- Models ----

void ModelsBase::editModel() {
  if (!hasCurrentModel() || !ui_.askModelProperties) return;
  const ModelSection from = rowSection(current_);
  const ModelInfo stored = rowModel(current_);
  ModelSectionList onFile;
  try {
    onFile = file_.load();
  } catch (const ModelsFileError& e) {
    error(kEditModelFailed, e);
    return;
  }
  const std::optional<ModelProperties> chosen =
      ui_.askModelProperties(sortedSectionNames(onFile), ModelProperties{q(from.name), q(stored.name)});
  if (!chosen) return;
  ModelInfo changed = stored;
  changed.name = s(chosen->name);
  const Key keep{from.storageName, stored.streamName};
  try {
    if (chosen->section == q(from.name)) {
      file_.rewriteModel(from.storageName, stored, changed);
      readFile(isRealSection(entry_) ? sections_[static_cast<std::size_t>(entry_ - 2)].storageName : std::string(),
               entry_, keep);
      return;
    }
    const int target = findSection(onFile, s(chosen->section));
    if (target < 0) throw ModelsFileError(ModelsFileError::Kind::Changed, s(kNoSection));
    const std::string to = onFile[static_cast<std::size_t>(target)].storageName;
    const ModelInfo moved = file_.moveModel(from.storageName, stored, to, changed);
    // The count goes with the model.
    for (ModelSection& sec : sections_)
      if (sec.storageName == to) {
        ModelInfo copy = moved;
        copy.count = stored.count;
        sec.models.push_back(copy);
      }
  } catch (const ModelsFileError& e) {
    error(kEditModelFailed, e);
    reload();
    return;
  }
  readFile(from.storageName, entry_);
}

void ModelsBase::openModelParts() {
  if (!hasCurrentModel() || !ui_.parts) return;
  const ModelInfo model = rowModel(current_);
  if (tableOpen(model.tableName)) {
    error(QStringLiteral("Модель \"%1\" уже открыта.").arg(q(model.name)));
    return;
  }
  // The parts window opens the table through a header file made for it.
  const QString header = paths_.catalogFolder() + QStringLiteral("/tmp.ini");
  const QString table = paths_.tablePath(model.tableName);
  try {
    QDir().mkpath(paths_.catalogFolder());
    parts::writeGroupHeader(header, parts::GroupHeader{QFileInfo(table).fileName(), {}});
  } catch (const parts::GroupFileError& e) {
    error(e.text());
    return;
  }
  if (parts::PartsDocument* doc = ui_.parts->newDocument()) {
    if (doc->LoadGroup(header)) {
      doc->SetCaptionOverride(q(model.name));
      ui_.parts->show(doc);
    } else {
      ui_.parts->discard(doc);
    }
  }
  QFile::remove(header);
}

void ModelsBase::deleteModel() {
  if (!hasCurrentModel()) return;
  const ModelSection section = rowSection(current_);
  const ModelInfo model = rowModel(current_);
  const QString failed = QStringLiteral("Ошибка удаления модели <%1>.").arg(q(model.name));
  if (common::showMessage(QStringLiteral("Действительно удалить модель <%1>?").arg(q(model.name)),
                          common::MsgIcon::Confirmation, common::MsgButtons::YesNo) != common::MsgResult::Yes)
    return;
  if (tableOpen(model.tableName)) {
    error(failed + QStringLiteral("\r\rДетали модели открыты в окне базы деталей: закройте его и повторите удаление."));
    return;
  }
  // The record goes first: the table is deleted only when no record names
  // it any more.
  try {
    file_.removeModel(section.storageName, model);
  } catch (const ModelsFileError& e) {
    error(failed, e);
    reload();
    return;
  }
  QString tableError;
  if (!tableStillNamed(model.tableName)) {
    try {
      dbase::removeFile(toPath(paths_.tablePath(model.tableName)));
    } catch (const std::exception& e) {
      tableError = QString::fromUtf8(e.what());
    }
  }
  readFile(section.storageName, entry_);
  if (!tableError.isEmpty())
    error(failed + QStringLiteral("\r\rМодель удалена из базы моделей, но не удалось удалить файл её деталей:\r") +
          tableError);
}

void ModelsBase::exportModel() {
  if (!hasCurrentModel() || !ui_.chooseExportFile) return;
  const ModelInfo model = rowModel(current_);
  const QString target = ui_.chooseExportFile(q(model.name));
  if (target.isEmpty()) return;
  const QString table = paths_.tablePath(model.tableName);
  if (!QFileInfo(table).isFile()) {
    error(kModelReadFailed + QStringLiteral("\r\r") + kExportFailed);
    return;
  }
  struct Waiting {
    const ModelsUi& ui;
    explicit Waiting(const ModelsUi& u) : ui(u) {
      if (ui.waiting) ui.waiting(true);
    }
    ~Waiting() {
      if (ui.waiting) ui.waiting(false);
    }
  } waiting(ui_);
  try {
    const std::vector<parts::PartRow> rows = parts::readPartRows(table);
    // A new file renamed over the old one: a failed export keeps it.
    platform::writeFileAtomically(toPath(target), modelExportBytes(rows, ui_.materialName));
  } catch (const parts::GroupFileError& e) {
    error(kModelReadFailed + QStringLiteral("\r\r") + kExportFailed + QStringLiteral("\r\r") + e.text());
  } catch (const std::exception& e) {
    error(kExportFailed, e);
  }
}

report::PreparedReport ModelsBase::prepareSelectedList(int leftMm, int topMm, int rightMm, int bottomMm,
                                                       bool landscape) const {
  report::Report r;
  r.loadTemplate(paths_.reportsFolder() + QStringLiteral("/ModelsList.frf"));
  r.setLandscape(landscape || r.reportTemplate().page.landscape);
  r.setMarginsMm(leftMm, topMm, rightMm, bottomMm);
  report::RowsRecordSource records({"MODELNAME", "MODELCOUNT"});
  for (int row = 0; row < rowCount(); ++row)
    if (rowModel(row).count != 0)
      records.addRow({report::Value::text(rowModel(row).name), report::Value::number(rowModel(row).count)});
  r.setDataSource(&records);
  r.setVariable("BASENAME", report::Value::text(std::string()));
  return r.prepare();
}

}  // namespace kroyna::models
