#include "parts/PartsMerge.h"

#include "common/DataRoot.h"
#include "common/Messages.h"
#include "parts/PartsDocument.h"
#include "parts/PartsTextFormats.h"
#include "platform/dbase/FileOps.h"
#include "platform/dbase/Statements.h"
#include "platform/file/QtPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <limits>

namespace kroyna::parts {

namespace fs = std::filesystem;

namespace {

const QString kMergeFailed = QStringLiteral("Ошибка слияния баз!");

using platform::toPath;

void error(const QString& text) { common::showMessage(text, common::MsgIcon::Error); }

void removeQuietly(const QString& path) {
  try {
    dbase::removeFile(toPath(path));
  } catch (const std::exception&) {
  }
}

// The merged rows: the work table grouped by every field but the quantity,
// the groups in the order their first row appears.
std::vector<PartRow> groupWorkTable(const QString& work) {
  using namespace dbase;
  const Table grouped =
      groupBySum(RowSource(toPath(work)),
                 {key("Name"), key("Length"), key("Width"), sum(col("Many"), "NewMany"), key("Rotate"), key("LBorder"),
                  key("RBorder"), key("TBorder"), key("BBorder"), key("Material")},
                 GroupOrder::FirstSeen);
  std::vector<PartRow> rows;
  rows.reserve(grouped.rowCount());
  for (std::size_t i = 0; i < grouped.rowCount(); ++i) {
    const Row values = grouped.rowAt(i);
    auto whole = [&](int field) {
      const Value& v = values[static_cast<std::size_t>(field)];
      const double d = v.isNumber() ? std::round(v.number()) : 0;
      if (!(d >= std::numeric_limits<int>::min() && d <= std::numeric_limits<int>::max()))
        throw GroupFileError(
            QStringLiteral("Число %1 вне допустимого диапазона.").arg(QString::fromStdString(v.toString())));
      return static_cast<int>(d);
    };
    PartRow r = partRowFromFields(values[0].isNull() ? std::string() : values[0].toString(), whole);
    if (r.quantity > kMaxNumber)
      throw GroupFileError(QStringLiteral("Общее количество деталей \"%1\" больше %2.")
                               .arg(QString::fromStdString(r.name))
                               .arg(kMaxNumber));
    rows.push_back(std::move(r));
  }
  return rows;
}

}  // namespace

long long modelCount(const QString& text) {
  int v = 0;
  return parseWholeNumber(text.toStdString(), v) == WholeNumber::Ok ? v : 0;
}

std::vector<ModelEntry> collapseModels(const std::vector<ModelEntry>& models) {
  std::vector<ModelEntry> out;
  std::vector<long long> sums;
  std::vector<bool> summed;
  for (const ModelEntry& m : models) {
    std::size_t i = 0;
    while (i < out.size() && out[i].name.compare(m.name, Qt::CaseInsensitive) != 0) ++i;
    if (i == out.size()) {
      out.push_back(m);
      sums.push_back(modelCount(m.count));
      summed.push_back(false);
      continue;
    }
    sums[i] += modelCount(m.count);
    summed[i] = true;
    if (sums[i] > std::numeric_limits<int>::max() || sums[i] < std::numeric_limits<int>::min())
      throw GroupFileError(QStringLiteral("Количество модели \"%1\" слишком велико.").arg(out[i].name));
  }
  for (std::size_t i = 0; i < out.size(); ++i)
    if (summed[i]) out[i].count = QString::number(sums[i]);
  return out;
}

bool mergeBases(PartsDocument& doc, const QString& dataRoot, const MergeUi& ui) {
  if (!doc.isOpen() || !ui.chooseBase || !ui.askCount) return false;
  auto ask = [](const QString& text) {
    return common::showMessage(text, common::MsgIcon::Confirmation, common::MsgButtons::YesNo) ==
           common::MsgResult::Yes;
  };
  if (!ask(QStringLiteral("ВНИМАНИЕ!\r\rПри слиянии баз деталей изменяется и сохраняется содержимое \rтекущей базы "
                          "деталей.\r\rПродолжить?")))
    return false;
  if (doc.isModified() &&
      !ask(QStringLiteral("ВНИМАНИЕ!\r\rПеред слиянием необходимо сохранить\rтекущую базу деталей.\r\rПродолжить?")))
    return false;
  const QString other = ui.chooseBase();
  if (other.isEmpty()) return false;
  const std::optional<int> count = ui.askCount();
  if (!count) return false;
  const int n = std::clamp(*count, 1, 100);

  GroupHeader header;
  try {
    header = readGroupHeader(other);
  } catch (const GroupFileError& e) {
    error(kMergeFailed + QStringLiteral("\r\r") + e.text());
    return false;
  }
  QString otherData = QFileInfo(other).absolutePath() + QLatin1Char('/') + header.dataFileName;
  if (!header.dataFileName.isEmpty() && !QFileInfo(otherData).isFile())
    otherData = common::resolveStoredPath(otherData);
  if (header.dataFileName.isEmpty() || !QFileInfo(otherData).isFile()) {
    error(QStringLiteral("Файл данных отсутствует!"));
    return false;
  }

  // A base merged with itself adds what the window holds, unsaved edits
  // and models list included.
  const bool itself = PartsDocument::samePath(otherData, doc.dataPath());
  const QString work = dataRoot + QStringLiteral("/Temp/$Merge$.dbf");
  const QString pattern = dataRoot + QStringLiteral("/Pattern/Group.dbf");
  std::vector<PartRow> merged;
  std::vector<ModelEntry> models;
  try {
    std::vector<PartRow> otherRows = itself ? doc.allRows() : readPartRows(otherData);
    // The work table holds the base's rows, then the other base's rows n
    // times. Adding them n times or once with n times the quantity groups
    // into the same rows, so the table holds them once.
    std::vector<PartRow> workRows = doc.allRows();
    workRows.reserve(workRows.size() + otherRows.size());
    for (PartRow& r : otherRows) {
      const long long quantity = static_cast<long long>(r.quantity) * n;
      if (quantity > kMaxNumber || quantity < -kMaxNumber)
        throw GroupFileError(QStringLiteral("Общее количество деталей \"%1\" больше %2.")
                                 .arg(QString::fromStdString(r.name))
                                 .arg(kMaxNumber));
      r.quantity = static_cast<int>(quantity);
      workRows.push_back(std::move(r));
    }
    models = doc.models();
    for (ModelEntry m : itself ? doc.models() : header.models) {
      m.count = QString::number(modelCount(m.count) * n);
      models.push_back(std::move(m));
    }
    QDir().mkpath(dataRoot + QStringLiteral("/Temp"));
    writePartTable(pattern, work, workRows);
    merged = groupWorkTable(work);
    models = collapseModels(models);
    // The merged table replaces the data table only when it is complete.
    writePartTable(pattern, doc.dataPath(), merged);
  } catch (const std::exception& e) {
    removeQuietly(work);
    error(kMergeFailed + QStringLiteral("\r\r") + QString::fromUtf8(e.what()));
    return false;
  }
  removeQuietly(work);

  doc.replaceRows(std::move(merged));
  doc.setModels(models);
  if (doc.isUntitled()) return true;  // it stays modified until it is saved
  // A saved base holds the merged rows in its data table; its header takes
  // the merged models list, so the base on disk is whole. A model's own
  // parts table (shown under the model's name) has no header of its own.
  if (doc.captionOverride().isEmpty()) {
    try {
      writeGroupHeader(doc.headerPath(), GroupHeader{QFileInfo(doc.dataPath()).fileName(), models});
    } catch (const GroupFileError& e) {
      error(kMergeFailed + QStringLiteral("\r\r") + e.text() +
            QStringLiteral("\r\rДетали объединены, но список моделей не записан: сохраните базу деталей."));
      return true;
    }
  }
  doc.setModified(false);
  return true;
}

}  // namespace kroyna::parts
