#include "parts/PartsDocument.h"

#include "common/DataLock.h"
#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/SettingsUtils.h"
#include "common/settings/SettingsKeys.h"
#include "platform/dbase/FileOps.h"
#include "platform/file/QtPaths.h"
#include "platform/ini/IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <unistd.h>

#include <algorithm>
#include <map>

namespace kroyna::parts {

namespace fs = std::filesystem;

namespace {

QList<PartsDocument*>& registry() {
  static QList<PartsDocument*> docs;
  return docs;
}

int g_newBaseCounter = 0;

using platform::toPath;
PartsDocument::WritableCheck& writableCheck() {
  static PartsDocument::WritableCheck check;
  return check;
}

bool writable(const QString& path) {
  if (const auto& check = writableCheck()) return check(path);
  return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// Untitled bases numbered past this many taken by other programs are not
// looked for further.
constexpr int kMaxTakenNumbers = 1000;

const QString kSaveFailed =
    QStringLiteral("Ошибка сохранения группы деталей!\r\rПопробуйте изменить название файла\rи сохранить ещё раз.");
const QString kReadFailed = QStringLiteral("Ошибка чтения группы деталей!");

void error(const QString& text) { common::showMessage(text, common::MsgIcon::Error); }

}  // namespace

QString columnTitle(int column) {
  switch (column) {
    case ColName: return QStringLiteral("Шифр");
    case ColLength: return QStringLiteral("Длина");
    case ColWidth: return QStringLiteral("Ширина");
    case ColMany: return QStringLiteral("Количество");
    case ColRotate: return QStringLiteral("Поворот");
    case ColMatName: return QStringLiteral("Материал");
    case ColRotateName: return QStringLiteral("Поворот");
    default: return {};
  }
}

const std::vector<int>& visibleColumnsByDefault() {
  static const std::vector<int> columns{ColName, ColLength, ColWidth, ColMany, ColMatName, ColRotateName};
  return columns;
}

// ---- CatalogueLists ----

QString CatalogueLists::materialName(int code) const {
  if (code == kAllMaterials) return {};
  const int i = materials.indexOfCode(code);
  return i < 0 ? QString() : materials.names[i];
}

bool CatalogueLists::hasMaterial(int code) const { return code != kAllMaterials && materials.indexOfCode(code) >= 0; }

int CatalogueLists::edgeIndex(int code) const { return code > 0 ? edges.indexOfCode(code) : -1; }

int CatalogueLists::edgeAllowance(int code) const {
  const int i = edgeIndex(code);
  return i < 0 ? 0 : edges.allowances[i].toInt();
}

QString CatalogueLists::edgeName(int code) const {
  const int i = edgeIndex(code);
  return i < 0 ? QString() : edges.names[i];
}

// ---- PartsDocument ----

PartsDocument::PartsDocument(QString dataRoot, ini::IniFile& settings, QObject* parent)
    : QObject(parent), dataRoot_(std::move(dataRoot)), settings_(settings) {
  catalogue_.materials.names << QString::fromUtf8(catalogues::kAllMaterialsName);
  catalogue_.materials.codes << QString::number(kAllMaterials);
  registry().append(this);
}

PartsDocument::~PartsDocument() {
  registry().removeAll(this);
  if (open_) closeDocument();
}

QList<PartsDocument*> PartsDocument::documents() { return registry(); }

bool PartsDocument::samePath(const QString& a, const QString& b) {
  auto norm = [](const QString& p) {
    const QFileInfo fi(p);
    const QString canonical = fi.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(fi.absoluteFilePath()) : canonical;
  };
  if (a.isEmpty() || b.isEmpty()) return false;
  return norm(a) == norm(b);
}

PartsDocument* PartsDocument::findOpen(const QString& headerPath) {
  for (PartsDocument* d : registry())
    if (d->open_ && !d->untitled_ && samePath(d->headerPath_, headerPath)) return d;
  return nullptr;
}

void PartsDocument::resetNewBaseCounter() { g_newBaseCounter = 0; }

void PartsDocument::setWritableCheck(WritableCheck check) { writableCheck() = std::move(check); }

QString PartsDocument::lockPathOf(const QString& dataPath) {
  const QFileInfo fi(dataPath);
  return fi.absolutePath() + QLatin1Char('/') + fi.completeBaseName() + QStringLiteral(".lck");
}

void PartsDocument::setReadOnly(const QString& reason) {
  readOnly_ = true;
  readOnlyReason_ = reason;
  lock_.reset();
}

void PartsDocument::decideAccess(const QString& headerPath, const QString& dataPath) {
  readOnly_ = false;
  readOnlyReason_.clear();
  lock_.reset();
  for (const QString& path : {headerPath, dataPath, QFileInfo(dataPath).absolutePath()}) {
    if (writable(path)) continue;
    setReadOnly(QStringLiteral("нет прав на запись в %1").arg(QDir::toNativeSeparators(path)));
    return;
  }
  auto lock = std::make_unique<common::DataLock>(lockPathOf(dataPath));
  if (lock->acquire(QStringLiteral("база деталей \"%1\"").arg(QDir::toNativeSeparators(headerPath))))
    lock_ = std::move(lock);
  else
    setReadOnly(lock->readOnlyReason());
}

QString PartsDocument::templatePath() const { return dataRoot_ + QStringLiteral("/Pattern/Group.dbf"); }
QString PartsDocument::tempFolder() const { return dataRoot_ + QStringLiteral("/Temp/"); }

int PartsDocument::lenDigits() const { return common::read(settings_, common::keys::LenDigits); }
int PartsDocument::sqrDigits() const { return common::read(settings_, common::keys::SqrDigits); }

void PartsDocument::openHolder() {
  holder_.close();
  dbase::OpenOptions options;
  options.readOnly = true;
  holder_ = dbase::Table::open(toPath(dataPath_), options);
}

bool PartsDocument::CreateGroup() {
  if (open_) closeDocument();
  QDir().mkpath(tempFolder());
  // A number whose table another program on this data root holds is
  // passed over: its table is not copied over.
  for (int tries = 0;; ++tries) {
    ++g_newBaseCounter;
    dataPath_ = tempFolder() + QString::number(g_newBaseCounter) + QStringLiteral("$Gr.dbf");
    auto lock = std::make_unique<common::DataLock>(lockPathOf(dataPath_));
    if (lock->tryAcquire()) {
      lock_ = std::move(lock);
      break;
    }
    if (!lock->holder() || tries >= kMaxTakenNumbers) break;
  }
  readOnly_ = false;
  readOnlyReason_.clear();
  extraFields_.clear();
  headerPath_ = dataPath_;
  displayName_.clear();
  try {
    dbase::copyOver(toPath(templatePath()), toPath(dataPath_));
    openHolder();
  } catch (const std::exception&) {
    holder_.close();
    lock_.reset();
    error(QStringLiteral("Ошибка открытия группы деталей!\rВозможно повреждён файл данных."));
    return false;
  }
  emit aboutToResetRows();
  rows_.clear();
  newRow_ = -1;
  rebuildVisible();
  current_ = -1;
  emit rowsReset();
  open_ = true;
  untitled_ = true;
  setCaptionState();
  setModified(true);
  emit totalsChanged();
  return true;
}

bool PartsDocument::LoadGroup(const QString& headerPathIn) {
  if (open_) closeDocument();
  const QString headerPath = QFileInfo(headerPathIn).absoluteFilePath();
  GroupHeader header;
  try {
    header = readGroupHeader(headerPath);
  } catch (const GroupFileError& e) {
    error(kReadFailed + QStringLiteral("\r") + e.text());
    return false;
  }
  models_ = header.models;
  const QString folder = QFileInfo(headerPath).absolutePath() + QLatin1Char('/');
  QString dataPath = folder + header.dataFileName;
  // A header written on Windows may spell the table's name in another
  // letter case than the file has.
  if (!header.dataFileName.isEmpty() && !QFileInfo(dataPath).isFile()) dataPath = common::resolveStoredPath(dataPath);
  if (header.dataFileName.isEmpty() || !QFileInfo(dataPath).isFile()) {
    error(QStringLiteral("Ошибка чтения группы деталей!\rНе найден файл данных."));
    return false;
  }
  // A table that another window holds (two header files naming one table)
  // is not opened a second time.
  if (dbase::isTableOpen(toPath(dataPath))) {
    error(QStringLiteral("Ошибка чтения группы деталей!\rФайл данных %1 уже открыт в другом окне.").arg(dataPath));
    return false;
  }
  // Before anything is written: may the base be written, and is it free?
  decideAccess(headerPath, dataPath);
  headerPath_ = headerPath;
  dataPath_ = dataPath;
  displayName_ = headerPath;
  setCaptionState();

  PartTable table;
  try {
    table = readPartTable(dataPath);
  } catch (const GroupFileError& e) {
    lock_.reset();
    error(kReadFailed + QStringLiteral("\r") + e.text());
    return false;
  }
  if (!readOnly_ && !table.unwritable.isEmpty()) {
    setReadOnly(table.unwritable);
    setCaptionState();
    common::showInformation(QStringLiteral("Таблица %1 открыта только для чтения:\r%2")
                                .arg(QDir::toNativeSeparators(dataPath), table.unwritable));
  }
  // A base that may be written is rebuilt from the template, which drops
  // the rows marked deleted and keeps the columns another program added.
  // The new table is written beside the old one and renamed over it only
  // when it is complete.
  try {
    if (!readOnly_) writePartTable(templatePath(), dataPath, table.rows, table.extraFields);
    openHolder();
  } catch (const PartTableWriteError& e) {
    lock_.reset();
    error(e.templateFailed ? QStringLiteral("Ошибка получения шаблона базы деталей")
                           : QStringLiteral("Ошибка резервного копирования базы деталей"));
    error(kReadFailed);
    return false;
  } catch (const std::exception&) {
    holder_.close();
    if (!readOnly_) {
      lock_.reset();
      error(kReadFailed);
      return false;
    }
    // A read-only table that this layer cannot hold open is still shown.
  }
  extraFields_ = std::move(table.extraFields);
  emit aboutToResetRows();
  rows_ = std::move(table.rows);
  newRow_ = -1;
  rebuildVisible();
  current_ = visible_.empty() ? -1 : 0;
  emit rowsReset();
  open_ = true;
  untitled_ = false;
  setModified(false);
  emit currentRowChanged(current_);
  emit totalsChanged();
  return true;
}

bool PartsDocument::confirmDataTarget(const QString& newHeader, const QString& newData) {
  if (samePath(newData, dataPath_) || !QFileInfo::exists(newData)) return true;
  // The data table of the header chosen (whose replacement the user has
  // already agreed to) may be replaced; any other table may belong to
  // another base.
  if (QFileInfo(newHeader).isFile()) {
    try {
      const GroupHeader h = readGroupHeader(newHeader);
      if (!h.dataFileName.isEmpty() &&
          samePath(QFileInfo(newHeader).absolutePath() + QLatin1Char('/') + h.dataFileName, newData))
        return true;
    } catch (const GroupFileError&) {
    }
  }
  return common::showMessage(QStringLiteral("Файл данных \"%1\" уже существует и может принадлежать "
                                            "другой базе деталей.\r\rЗаменить его?")
                                 .arg(newData),
                             common::MsgIcon::Warning, common::MsgButtons::YesNo) == common::MsgResult::Yes;
}

SaveResult PartsDocument::SaveGroup(bool askName) {
  if (!open_) return SaveResult::Failed;
  QString newHeader = headerPath_;
  QString newData = dataPath_;
  // A read-only base is saved under another name only.
  if (askName || untitled_ || readOnly_) {
    const QString preset = untitled_ ? suggestedName_ : headerPath_;
    if (!chooser_) return SaveResult::Cancelled;
    QString chosen = chooser_(preset);
    if (chosen.isEmpty()) return SaveResult::Cancelled;
    QFileInfo fi(chosen);
    if (fi.suffix().isEmpty()) fi.setFile(chosen + QStringLiteral(".krb"));
    // The header and the table must be two files.
    if (fi.suffix().compare(QStringLiteral("dbf"), Qt::CaseInsensitive) == 0) {
      error(QStringLiteral("Файл базы деталей не может иметь расширение .dbf.\rВыберите другое название."));
      return SaveResult::Failed;
    }
    newHeader = fi.absoluteFilePath();
    newData = fi.absolutePath() + QLatin1Char('/') + fi.completeBaseName() + QStringLiteral(".dbf");
    if (PartsDocument* other = findOpen(newHeader); other && other != this) {
      error(QStringLiteral("База деталей \"%1\" уже открыта!").arg(newHeader));
      return SaveResult::Failed;
    }
    if (!samePath(newData, dataPath_) && dbase::isTableOpen(toPath(newData))) {
      error(QStringLiteral("Файл данных \"%1\" открыт в другом окне.\rВыберите другое название.").arg(newData));
      return SaveResult::Failed;
    }
    if (readOnly_ && (samePath(newData, dataPath_) || samePath(newHeader, headerPath_))) {
      error(QStringLiteral("База деталей открыта только для чтения (%1).\rСохраните её под другим названием.")
                .arg(readOnlyReason_));
      return SaveResult::Failed;
    }
    if (!confirmDataTarget(newHeader, newData)) return SaveResult::Cancelled;
  }

  // The table written is locked first; another program's table is not
  // written over.
  std::unique_ptr<common::DataLock> newLock;
  if (!samePath(newData, dataPath_)) {
    newLock = std::make_unique<common::DataLock>(lockPathOf(newData));
    if (!newLock->tryAcquire() && newLock->holder()) {
      error(QStringLiteral("Файл данных \"%1\" открыт в другой программе: %2.\rВыберите другое название.")
                .arg(newData, common::holderText(*newLock->holder())));
      return SaveResult::Failed;
    }
  } else if (lock_ && !lock_->stillHeld()) {
    const auto holder = common::DataLock::holderOf(lock_->path());
    setReadOnly(QStringLiteral("блокировку сняла другая программа") +
                (holder ? QStringLiteral(": ") + common::holderText(*holder) : QString()));
    setCaptionState();
    error(QStringLiteral("База деталей не сохранена: %1.\rСохраните её под другим названием.").arg(readOnlyReason_));
    return SaveResult::Failed;
  }

  const bool sameData = samePath(newData, dataPath_);
  const bool dataExisted = QFileInfo::exists(newData);
  try {
    writePartTable(templatePath(), newData, rows_, extraFields_);
  } catch (const GroupFileError&) {
    error(kSaveFailed);
    return SaveResult::Failed;
  }
  try {
    writeGroupHeader(newHeader, GroupHeader{QFileInfo(newData).fileName(), models_});
  } catch (const GroupFileError&) {
    // A table written only for this save is taken away again.
    if (!sameData && !dataExisted) {
      try {
        dbase::removeFile(toPath(newData));
      } catch (const std::exception&) {
      }
    }
    if (sameData) {
      try {
        openHolder();
      } catch (const std::exception&) {
      }
    }
    error(kSaveFailed);
    return SaveResult::Failed;
  }

  const QString oldData = dataPath_;
  const bool wasUntitled = untitled_;
  holder_.close();
  if (wasUntitled && !sameData) {
    try {
      dbase::removeFile(toPath(oldData));
    } catch (const std::exception&) {
      // A temporary table that cannot be deleted only takes room in Temp.
    }
  }
  headerPath_ = newHeader;
  dataPath_ = newData;
  displayName_ = newHeader;
  untitled_ = false;
  if (newLock) {
    lock_ = std::move(newLock);
    readOnly_ = false;
    readOnlyReason_.clear();
  }
  try {
    openHolder();
  } catch (const std::exception&) {
    // The rows stay in memory; only the protection of the file is lost.
  }
  setCaptionState();
  setModified(false);
  return SaveResult::Saved;
}

void PartsDocument::closeDocument() {
  holder_.close();
  if (open_ && untitled_ && captionOverride_.isEmpty() && !dataPath_.isEmpty()) {
    try {
      dbase::removeFile(toPath(dataPath_));
    } catch (const std::exception&) {
    }
  }
  open_ = false;
  lock_.reset();
  readOnly_ = false;
  readOnlyReason_.clear();
  extraFields_.clear();
  emit aboutToResetRows();
  rows_.clear();
  newRow_ = -1;
  visible_.clear();
  current_ = -1;
  emit rowsReset();
}

void PartsDocument::SetCaptionOverride(const QString& text) {
  captionOverride_ = text;
  setCaptionState();
}

QString PartsDocument::caption() const {
  const QString readOnly = readOnly_ ? QStringLiteral(" (только чтение)") : QString();
  if (!captionOverride_.isEmpty()) return captionOverride_ + readOnly;
  if (!displayName_.isEmpty()) return QStringLiteral("База деталей: ") + QFileInfo(displayName_).fileName() + readOnly;
  if (untitled_ && !suggestedName_.isEmpty())
    return QStringLiteral("База деталей: ") + QFileInfo(suggestedName_).fileName();
  return QStringLiteral("База деталей: <без названия>");
}

void PartsDocument::setSuggestedName(const QString& name) {
  suggestedName_ = name;
  setCaptionState();
}

void PartsDocument::setCaptionState() { emit captionChanged(caption()); }

void PartsDocument::setModified(bool modified) {
  if (modified_ == modified) return;
  modified_ = modified;
  emit modifiedChanged(modified);
}

void PartsDocument::setModels(std::vector<ModelEntry> models) {
  models_ = std::move(models);
  setModified(true);
}

// ---- Catalogues and filter ----

int PartsDocument::setCatalogue(CatalogueLists lists) {
  catalogue_ = std::move(lists);
  int filter = filter_;
  if (catalogue_.materials.indexOfCode(filter) < 0)
    filter = catalogue_.materials.size() > 0 ? catalogue_.materials.codeAt(0) : kAllMaterials;
  if (catalogue_.materials.size() < 2) filter = kAllMaterials;
  filter_ = -1;  // the names shown change in any case
  SetMaterialFilter(filter);
  return filter_;
}

void PartsDocument::setEdges(catalogues::EdgeList edges, int defaultEdge) {
  catalogue_.edges = std::move(edges);
  catalogue_.defaultEdge = defaultEdge;
  emit totalsChanged();
  emit currentRowChanged(current_);
}

bool PartsDocument::matchesFilter(const PartRow& r) const { return filter_ == kAllMaterials || r.material == filter_; }

void PartsDocument::rebuildVisible() {
  visible_.clear();
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (matchesFilter(rows_[i])) visible_.push_back(static_cast<int>(i));
}

void PartsDocument::SetMaterialFilter(int code) {
  leaveNewRow();
  emit aboutToResetRows();
  filter_ = code;
  rebuildVisible();
  current_ = visible_.empty() ? -1 : 0;
  emit rowsReset();
  emit currentRowChanged(current_);
  emit totalsChanged();
}

std::vector<PartRow> PartsDocument::shownRows() const {
  std::vector<PartRow> out;
  out.reserve(visible_.size());
  for (int i : visible_) out.push_back(rows_[static_cast<std::size_t>(i)]);
  return out;
}

void PartsDocument::setCurrentRow(int position) {
  // The new row is the last one shown: dropping it moves no row before it.
  if (newRow_ >= 0 && !leaving_ && !isNewRow(position)) leaveNewRow();
  if (position < -1 || position >= rowCount()) position = rowCount() > 0 ? 0 : -1;
  if (position == current_) return;
  current_ = position;
  emit currentRowChanged(current_);
}

QString PartsDocument::cellText(int position, int column) const {
  if (position < 0 || position >= rowCount()) return {};
  const PartRow& r = row(position);
  switch (column) {
    case ColName: return QString::fromStdString(r.name);
    case ColLength: return QString::number(r.length);
    case ColWidth: return QString::number(r.width);
    case ColMany: return QString::number(r.quantity);
    case ColRotate: return QString::number(r.rotation);
    case ColLBorder: return QString::number(r.left);
    case ColRBorder: return QString::number(r.right);
    case ColTBorder: return QString::number(r.top);
    case ColBBorder: return QString::number(r.bottom);
    case ColMatName: return catalogue_.materialName(r.material);
    case ColRotateName: return rotationName(r.rotation);
    default: return {};
  }
}

QString PartsDocument::setCell(int position, int column, const QString& text) {
  if (position < 0 || position >= rowCount()) return QStringLiteral("Нет записи для изменения.");
  PartRow& r = rows_[static_cast<std::size_t>(visible_[static_cast<std::size_t>(position)])];
  if (column == ColName) {
    const QString why = checkName(text);
    if (!why.isEmpty()) return why;
    const std::string name = text.toStdString();
    if (name == r.name) return {};
    r.name = name;
  } else if (column >= ColLength && column <= ColBBorder) {
    const QString t = text.trimmed();
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    const int max = column == ColRotate ? kMaxRotation : kMaxNumber;
    bool ok = digits.match(t).hasMatch();
    const int value = ok ? t.toInt(&ok) : 0;
    if (!ok || value > max) {
      const QString title = columnTitle(column).isEmpty() ? QStringLiteral("Кромка") : columnTitle(column);
      return QStringLiteral("Значение \"%1\" не подходит для колонки \"%2\".\rВведите целое число от 0 до %3.")
          .arg(text, title)
          .arg(max);
    }
    int* field[] = {nullptr, &r.length, &r.width, &r.quantity, &r.rotation, &r.left, &r.right, &r.top, &r.bottom};
    if (*field[column] == value) return {};
    *field[column] = value;
  } else {
    return QStringLiteral("Колонка \"%1\" не редактируется.").arg(columnTitle(column));
  }
  rowEdited(static_cast<std::size_t>(visible_[static_cast<std::size_t>(position)]));
  return {};
}

void PartsDocument::rowEdited(std::size_t index) {
  setModified(true);
  const auto it = std::find(visible_.begin(), visible_.end(), static_cast<int>(index));
  if (it != visible_.end()) emit rowChanged(static_cast<int>(it - visible_.begin()));
  emit totalsChanged();
}

// ---- Row operations ----

PartRow PartsDocument::newRowDefaults() const {
  PartRow r;
  r.left = common::read(settings_, common::keys::LeftBorder);
  r.right = common::read(settings_, common::keys::RightBorder);
  r.top = common::read(settings_, common::keys::TopBorder);
  r.bottom = common::read(settings_, common::keys::BottomBorder);
  r.rotation = common::read(settings_, common::keys::DefRotation);
  r.material = common::newRowMaterial(settings_, filter_);
  for (int* code : {&r.left, &r.right, &r.top, &r.bottom})
    if (*code < 0) *code = 0;
  return r;
}

int PartsDocument::appendNewRow() {
  leaveNewRow();
  const PartRow r = newRowDefaults();
  const int position = rowCount();
  const bool shown = matchesFilter(r);
  if (shown) {
    newRow_ = static_cast<int>(rows_.size());
    newRowGiven_ = r;
    modifiedBeforeNewRow_ = modified_;
  }
  if (shown) emit rowsAboutToBeInserted(position, position);
  rows_.push_back(r);
  if (shown) visible_.push_back(static_cast<int>(rows_.size() - 1));
  if (shown) emit rowsInserted();
  setModified(true);
  emit totalsChanged();
  if (!shown) return -1;
  setCurrentRow(position);
  return position;
}

bool PartsDocument::isNewRow(int position) const {
  return newRow_ >= 0 && position >= 0 && position < rowCount() &&
         visible_[static_cast<std::size_t>(position)] == newRow_;
}

bool PartsDocument::isUntouchedNewRow(int position) const {
  return isNewRow(position) && rows_[static_cast<std::size_t>(newRow_)] == newRowGiven_;
}

bool PartsDocument::leaveNewRow() {
  if (newRow_ < 0 || leaving_) return false;
  const std::size_t index = static_cast<std::size_t>(newRow_);
  newRow_ = -1;
  if (index >= rows_.size() || !(rows_[index] == newRowGiven_)) return false;
  leaving_ = true;
  const auto it = std::find(visible_.begin(), visible_.end(), static_cast<int>(index));
  const int position = it == visible_.end() ? -1 : static_cast<int>(it - visible_.begin());
  if (position >= 0) emit rowsAboutToBeRemoved(position, position);
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
  rebuildVisible();
  if (position >= 0) emit rowsRemoved();
  setModified(modifiedBeforeNewRow_);
  if (current_ >= rowCount()) {
    current_ = rowCount() - 1;
    emit currentRowChanged(current_);
  }
  emit totalsChanged();
  leaving_ = false;
  return true;
}

bool PartsDocument::AppendDetal(const QString& name, int length, int width, int quantity, int rotation, int left,
                                int right, int top, int bottom, int material, QString* why) {
  return appendChecked(
      PartRow{name.toStdString(), length, width, quantity, rotation, left, right, top, bottom, material, {}}, false,
      why);
}

bool PartsDocument::appendImportedRow(const PartRow& row, QString* why) { return appendChecked(row, true, why); }

bool PartsDocument::appendChecked(PartRow r, bool keepRotation, QString* why) {
  const QString name = QString::fromStdString(r.name);
  QString reason = checkName(name);
  auto inRange = [](int v) { return v >= 0 && v <= kMaxNumber; };
  if (reason.isEmpty() && (!inRange(r.length) || !inRange(r.width) || !inRange(r.quantity)))
    reason = QStringLiteral("Размеры и количество детали должны быть целыми числами от 0 до %1.").arg(kMaxNumber);
  const int minRotation = keepRotation ? kMinStoredRotation : 0;
  const int maxRotation = keepRotation ? kMaxStoredRotation : kMaxRotation;
  if (reason.isEmpty() && (r.rotation < minRotation || r.rotation > maxRotation))
    reason = QStringLiteral("Код поворота %1 вне допустимых значений %2..%3.")
                 .arg(r.rotation)
                 .arg(minRotation)
                 .arg(maxRotation);
  if (reason.isEmpty() && (!inRange(r.left) || !inRange(r.right) || !inRange(r.top) || !inRange(r.bottom)))
    reason = QStringLiteral("Код кромки должен быть целым числом от 0 до %1.").arg(kMaxNumber);
  if (reason.isEmpty() && (!inRange(r.material) || r.material == kAllMaterials))
    reason = QStringLiteral("Недопустимый код материала %1.").arg(r.material);
  if (!reason.isEmpty()) {
    if (why) *why = QStringLiteral("Деталь \"%1\": %2").arg(name, reason);
    return false;
  }
  const bool shown = matchesFilter(r);
  const int position = rowCount();
  if (shown) emit rowsAboutToBeInserted(position, position);
  rows_.push_back(std::move(r));
  if (shown) {
    visible_.push_back(static_cast<int>(rows_.size() - 1));
    emit rowsInserted();
  }
  if (current_ < 0 && !visible_.empty()) setCurrentRow(0);
  setModified(true);
  emit totalsChanged();
  return true;
}

void PartsDocument::replaceRows(std::vector<PartRow> rows) {
  emit aboutToResetRows();
  rows_ = std::move(rows);
  rebuildVisible();
  current_ = visible_.empty() ? -1 : 0;
  emit rowsReset();
  emit currentRowChanged(current_);
  setModified(true);
  emit totalsChanged();
}

int PartsDocument::copyRow(int position) {
  if (position < 0 || position >= rowCount()) return -1;
  const std::size_t source = static_cast<std::size_t>(visible_[static_cast<std::size_t>(position)]);
  const PartRow copy = rows_[source];
  // A copy of the new row makes it a row like the others.
  if (newRow_ == static_cast<int>(source)) newRow_ = -1;
  if (newRow_ > static_cast<int>(source)) ++newRow_;
  emit rowsAboutToBeInserted(position + 1, position + 1);
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(source) + 1, copy);
  rebuildVisible();
  emit rowsInserted();
  setModified(true);
  emit totalsChanged();
  setCurrentRow(position + 1);
  return position + 1;
}

void PartsDocument::removeRow(int position) {
  if (position < 0 || position >= rowCount()) return;
  const std::size_t source = static_cast<std::size_t>(visible_[static_cast<std::size_t>(position)]);
  emit rowsAboutToBeRemoved(position, position);
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(source));
  if (newRow_ == static_cast<int>(source))
    newRow_ = -1;
  else if (newRow_ > static_cast<int>(source))
    --newRow_;
  rebuildVisible();
  emit rowsRemoved();
  setModified(true);
  current_ = -2;  // forces the signal below
  setCurrentRow(std::min(position, rowCount() - 1));
  emit totalsChanged();
}

int PartsDocument::StoreRowSettings(const SideCodes& sides, int rotation) {
  int position = current_;
  if (rowCount() == 0) {
    position = appendNewRow();
    if (position < 0) return -1;
  } else if (position < 0) {
    position = 0;
  }
  PartRow& r = rows_[static_cast<std::size_t>(visible_[static_cast<std::size_t>(position)])];
  r.left = std::max(0, sides[SideLeft]);
  r.right = std::max(0, sides[SideRight]);
  r.top = std::max(0, sides[SideTop]);
  r.bottom = std::max(0, sides[SideBottom]);
  if (rotation >= 0 && rotation <= kMaxRotation) r.rotation = rotation;
  current_ = position;
  rowEdited(static_cast<std::size_t>(visible_[static_cast<std::size_t>(position)]));
  emit currentRowChanged(current_);
  return position;
}

SideCodes PartsDocument::sidesAfterClick(SideCodes sides, int side, bool pressed) const {
  if (side < 0 || side >= static_cast<int>(sides.size())) return sides;
  const int current = common::read(settings_, common::keys::DefBorder);
  sides[static_cast<std::size_t>(side)] = pressed ? current : 0;
  return sides;
}

SideCodes PartsDocument::sidesOfAll(bool on) const {
  const int code = on ? common::read(settings_, common::keys::DefBorder) : 0;
  return {code, code, code, code};
}

void PartsDocument::setRowMaterial(int position, int code) {
  if (position < 0 || position >= rowCount() || code < 0 || code == kAllMaterials) return;
  const std::size_t source = static_cast<std::size_t>(visible_[static_cast<std::size_t>(position)]);
  if (rows_[source].material == code) return;
  if (matchesFilter(PartRow{{}, 0, 0, 0, 0, 0, 0, 0, 0, code, {}})) {
    rows_[source].material = code;
    rowEdited(source);
    return;
  }
  // The row leaves the material shown.
  emit rowsAboutToBeRemoved(position, position);
  rows_[source].material = code;
  rebuildVisible();
  emit rowsRemoved();
  setModified(true);
  current_ = -2;
  setCurrentRow(std::min(position, rowCount() - 1));
  emit totalsChanged();
}

int PartsDocument::replaceMaterial(int fromCode, int toCode) {
  if (fromCode == toCode || toCode < 0 || toCode == kAllMaterials) return 0;
  emit aboutToResetRows();
  int changed = 0;
  for (PartRow& r : rows_) {
    if (fromCode != kAllMaterials && r.material != fromCode) continue;
    if (r.material == toCode) continue;
    r.material = toCode;
    ++changed;
  }
  rebuildVisible();
  if (current_ >= rowCount()) current_ = rowCount() - 1;
  if (current_ < 0 && rowCount() > 0) current_ = 0;
  emit rowsReset();
  emit currentRowChanged(current_);
  if (changed > 0) setModified(true);
  emit totalsChanged();
  return changed;
}

// ---- Values over the rows shown ----

Totals PartsDocument::totals() const {
  Totals t;
  for (int i : visible_) {
    const PartRow& r = rows_[static_cast<std::size_t>(i)];
    const double many = r.quantity;
    t.quantity += r.quantity;
    t.area += static_cast<double>(r.length) * r.width * many;
    t.perimeter += 2.0 * (static_cast<double>(r.length) + r.width) * many;
    const std::pair<int, int> sides[] = {
        {r.left, r.width}, {r.right, r.width}, {r.top, r.length}, {r.bottom, r.length}};
    for (auto [code, length] : sides)
      if (catalogue_.edgeIndex(code) >= 0)
        t.edge += (static_cast<double>(length) + catalogue_.edgeAllowance(code)) * many;
  }
  return t;
}

QString PartsDocument::quantityText() const { return QString::number(totals().quantity); }
QString PartsDocument::areaText() const { return common::formatArea(totals().area / 1.0, sqrDigits()); }
QString PartsDocument::perimeterText() const { return common::formatLength(totals().perimeter, lenDigits()); }
QString PartsDocument::edgeText() const { return common::formatLength(totals().edge, lenDigits()); }

QStringList PartsDocument::totalsPanels() const {
  const Totals t = totals();
  return {QStringLiteral("Количество: ") + QString::number(t.quantity) + QStringLiteral(" шт"),
          QStringLiteral("Площадь: ") + common::formatArea(t.area, sqrDigits()) + QStringLiteral(" кв м"),
          QStringLiteral("Периметр: ") + common::formatLength(t.perimeter, lenDigits()) + QStringLiteral(" м"),
          QStringLiteral("Кромка: ") + common::formatLength(t.edge, lenDigits()) + QStringLiteral(" м")};
}

QStringList PartsDocument::edgeUseLines() const {
  std::vector<std::pair<int, double>> entries;  // code, length in mm; order of first appearance
  auto add = [&](int code, int length, int many) {
    auto it = std::find_if(entries.begin(), entries.end(), [code](const auto& e) { return e.first == code; });
    if (it == entries.end()) it = entries.insert(entries.end(), {code, 0.0});
    it->second += (static_cast<double>(length) + catalogue_.edgeAllowance(code)) * many;
  };
  for (int i : visible_) {
    const PartRow& r = rows_[static_cast<std::size_t>(i)];
    add(r.top, r.length, r.quantity);
    add(r.bottom, r.length, r.quantity);
    add(r.left, r.width, r.quantity);
    add(r.right, r.width, r.quantity);
  }
  QStringList lines;
  for (const auto& [code, length] : entries)
    if (code != 0)
      lines << catalogue_.edgeName(code) + QStringLiteral(": ") + common::formatLength(length, lenDigits()) +
                   QStringLiteral(" м");
  return lines;
}

void PartsDocument::ListGroupMaterials(QList<int>& codes, QStringList& names) const {
  codes.clear();
  names.clear();
  for (int i : visible_) {
    const int code = rows_[static_cast<std::size_t>(i)].material;
    if (codes.contains(code)) continue;
    codes << code;
    names << catalogue_.materialName(code);
  }
}

bool PartsDocument::labelRows(std::vector<LabelRow>& out) const {
  out.clear();
  long long pieces = 0;
  for (int i : visible_) pieces += std::max(0, rows_[static_cast<std::size_t>(i)].quantity);
  if (pieces > kMaxLabels) {
    error(QStringLiteral("Ошибка создания списка деталей."));
    return false;
  }
  for (int i : visible_) {
    const PartRow& r = rows_[static_cast<std::size_t>(i)];
    LabelRow label;
    label.name = QString::fromStdString(r.name);
    label.size = QStringLiteral("%1 x %2").arg(r.length).arg(r.width);
    label.material = catalogue_.materialName(r.material);
    const std::pair<int, const char*> sides[] = {
        {r.left, "л: %1\r"}, {r.right, "пр: %1\r"}, {r.top, "в: %1\r"}, {r.bottom, "н: %1\r"}};
    for (auto [code, pattern] : sides)
      if (code > 0) label.edges += QString::fromUtf8(pattern).arg(catalogue_.edgeName(code));
    label.row = i;
    for (int k = 0; k < r.quantity; ++k) {
      label.copy = k + 1;
      out.push_back(label);
    }
  }
  return true;
}

QString PartsDocument::borderNames(const PartRow& r, Side first, Side second) const {
  const SideCodes codes{r.left, r.right, r.top, r.bottom};
  QStringList names;
  for (Side s : {first, second}) {
    const QString name = catalogue_.edgeName(codes[static_cast<std::size_t>(s)]);
    if (!name.isEmpty()) names << name;
  }
  return names.join(QLatin1Char('\r'));
}

}  // namespace kroyna::parts
