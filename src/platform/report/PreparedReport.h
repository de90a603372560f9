#pragma once

#include "platform/report/ReportObject.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>

#include <memory>
#include <vector>

namespace kroyna::report {

// One laid-out page: its size and its objects at their places on the page
// (report units), texts already expanded and broken into lines.
struct PreparedPage {
  QSizeF size;
  std::vector<std::unique_ptr<ReportObject>> objects;

  PreparedPage() = default;
  PreparedPage(const PreparedPage& o);
  PreparedPage& operator=(const PreparedPage& o);
  PreparedPage(PreparedPage&&) noexcept = default;
  PreparedPage& operator=(PreparedPage&&) noexcept = default;
};

struct FindHit {
  int page = 0;
  int object = 0;  // index in the page's objects
};

// A report ready to show, print or export. It is saved in a file of its
// own (XML, like templates) that reopens in the preview.
class PreparedReport {
 public:
  QString title;
  // What the preview tells the reader above the pages, such as labels whose
  // text did not fit (lines separated by "\n"); empty when all is well.
  QString notice;
  std::vector<PreparedPage> pages;

  int pageCount() const { return static_cast<int>(pages.size()); }

  // Objects whose text holds `needle` (letter case ignored), in page
  // order and, within a page, top to bottom and left to right.
  std::vector<FindHit> find(const QString& needle) const;

  // Reader and writer with the same shape as the template's: ReportError
  // on a missing or damaged file; write() replaces the file whole.
  static PreparedReport read(const QString& path);
  static PreparedReport parse(const QByteArray& xml, const QString& origin);
  QByteArray toXml() const;
  void write(const QString& path) const;
};

}  // namespace kroyna::report
