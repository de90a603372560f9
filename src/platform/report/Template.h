#pragma once

#include "platform/report/ReportObject.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QXmlStreamReader;
class QXmlStreamWriter;

namespace kroyna::report {

enum class BandKind { Title, PageHeader, GroupHeader, MasterData, GroupFooter, PageFooter, Summary };

const char* bandKindName(BandKind k);

// Paper and margins of the report's page. The paper is given upright in
// millimetres; landscape turns it and keeps its size. Margins are report
// units.
struct PageSetup {
  double paperWidthMm = 210;
  double paperHeightMm = 297;
  bool landscape = false;
  double left = 0, top = 0, right = 0, bottom = 0;

  QSizeF sizeUnits() const;
  double printableWidth() const { return sizeUnits().width() - left - right; }
  double printableHeight() const { return sizeUnits().height() - top - bottom; }
};

struct Band {
  BandKind kind = BandKind::MasterData;
  std::string name;
  double height = 0;
  std::optional<Expression> heightExpr;
  // Group header: the expression whose change starts a new group.
  std::optional<Expression> condition;
  // Group footer: the name of its group header (may be left out when
  // the template has only one group).
  std::string group;
  // Master data: records placed side by side in columns of this width
  // (0: one record per row), e.g. labels.
  double columnWidth = 0;
  std::optional<Expression> columnWidthExpr;
  // Space left between the columns and between the rows of records placed
  // side by side (label sheets with gaps between their labels).
  double columnGap = 0;
  std::optional<Expression> columnGapExpr;
  double rowGap = 0;
  std::optional<Expression> rowGapExpr;
  std::optional<Expression> visibleExpr;
  // Start a new page before the band (not when the page is still empty).
  bool newPage = false;
  std::vector<std::unique_ptr<ReportObject>> objects;

  Band() = default;
  Band(const Band& other);
  Band& operator=(const Band& other);
  Band(Band&&) noexcept = default;
  Band& operator=(Band&&) noexcept = default;
};

// A report template ("Reports/*.frf"): XML text, see README.md beside this file.
class Template {
 public:
  QString title;
  PageSetup page;
  // Values the template defines, such as MAP_W: name and expression.
  std::vector<std::pair<std::string, Expression>> variables;
  std::vector<Band> bands;

  // The object of that name in any band; nullptr when there is none.
  ReportObject* findObject(std::string_view name) const;
  const Expression* findVariable(std::string_view name) const;

  // Reader and writer. Throw ReportError with a clear text for a missing
  // file, malformed XML or an unknown band, class or attribute; `origin`
  // names the file in messages. write() replaces the file only when the
  // new one is complete.
  static Template read(const QString& path);
  static Template parse(const QByteArray& xml, const QString& origin);
  QByteArray toXml() const;
  void write(const QString& path) const;
};

// Reading and writing of one object element, shared by templates and
// prepared reports.
std::unique_ptr<ReportObject> readObjectElement(QXmlStreamReader& r);
void writeObjectElement(QXmlStreamWriter& w, const ReportObject& obj);

// Writes the bytes to a new file beside `path` and renames it over
// `path`; throws ReportError when that fails, leaving the old file as it was.
void saveFileAtomically(const QString& path, const QByteArray& bytes);

}  // namespace kroyna::report
