#include "parts/SpreadsheetExport.h"

#include "parts/PartsDocument.h"
#include "platform/file/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include <filesystem>

namespace kroyna::parts {

std::vector<SheetCell> spreadsheetCells(const PartsDocument& doc, const std::vector<int>& columns) {
  std::vector<SheetCell> cells;
  auto put = [&](int row, int column, const QString& text) { cells.push_back({row, column, text}); };
  put(1, 1, QStringLiteral("База деталей"));
  put(1, 2, doc.displayName().isEmpty() ? QString() : QFileInfo(doc.displayName()).fileName());
  put(3, 1, QStringLiteral("Статистика"));
  put(4, 1, QStringLiteral("Количество: "));
  put(4, 2, doc.quantityText());
  put(4, 3, QStringLiteral("шт"));
  put(5, 1, QStringLiteral("Площадь: "));
  put(5, 2, doc.areaText());
  put(5, 3, QStringLiteral("кв м"));
  put(6, 1, QStringLiteral("Периметр: "));
  put(6, 2, doc.perimeterText());
  put(6, 3, QStringLiteral("м"));
  put(7, 1, QStringLiteral("Кромка: "));
  put(7, 2, doc.edgeText());
  put(7, 3, QStringLiteral("м"));
  for (std::size_t c = 0; c < columns.size(); ++c) put(9, static_cast<int>(c) + 1, columnTitle(columns[c]));
  for (int r = 0; r < doc.rowCount(); ++r)
    for (std::size_t c = 0; c < columns.size(); ++c) put(10 + r, static_cast<int>(c) + 1, doc.cellText(r, columns[c]));
  return cells;
}

void writeSpreadsheet(const QString& path, const std::vector<SheetCell>& cells) {
  auto fail = [&](const QString& why) {
    throw GroupFileError(QStringLiteral("Не удалось записать файл %1: %2").arg(path, why));
  };
  try {
    // The spreadsheet library writes the new file by name; the safe writer
    // puts it in place only when it is complete.
    platform::SafeFileWriter out{std::filesystem::path(QFile::encodeName(path).toStdString())};
    lxw_workbook* book = workbook_new(out.newPath().c_str());
    if (!book) fail(QStringLiteral("файл не создаётся"));
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Детали");
    if (!sheet) {
      workbook_close(book);
      fail(QStringLiteral("лист не создаётся"));
    }
    for (const SheetCell& c : cells) {
      if (c.text.isEmpty()) continue;
      const QByteArray utf8 = c.text.toUtf8();
      const lxw_error e = worksheet_write_string(sheet, static_cast<lxw_row_t>(c.row - 1),
                                                 static_cast<lxw_col_t>(c.column - 1), utf8.constData(), nullptr);
      if (e != LXW_NO_ERROR) {
        workbook_close(book);
        fail(QString::fromUtf8(lxw_strerror(e)));
      }
    }
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR) fail(QString::fromUtf8(lxw_strerror(closed)));
    out.commit();
  } catch (const platform::FileError& e) {
    fail(QString::fromStdString(e.reason()));
  }
}

QString spreadsheetPath(const QString& folder, const PartsDocument& doc) {
  QString base =
      doc.displayName().isEmpty() ? QStringLiteral("База деталей") : QFileInfo(doc.displayName()).completeBaseName();
  if (base.isEmpty()) base = QStringLiteral("База деталей");
  const QDir dir(folder);
  QString candidate = dir.filePath(base + QStringLiteral(".xlsx"));
  for (int n = 2; QFileInfo::exists(candidate); ++n)
    candidate = dir.filePath(QStringLiteral("%1 (%2).xlsx").arg(base).arg(n));
  return candidate;
}

}  // namespace kroyna::parts
