#pragma once

#include "platform/report/PreparedReport.h"
#include "platform/report/RecordSource.h"
#include "platform/report/Template.h"

#include <QPageLayout>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kroyna::report {

// The program's answer for a variable: a text or a number, or nothing
// (std::nullopt) for a name it does not serve.
using VariableCallback = std::function<std::optional<Value>(std::string_view name)>;
// Called for every object just before it is printed, with the copy that
// will be printed: the program may fill, resize or restyle it (font, word
// wrap, text, visibility). Text objects still hold their [expressions].
using BeforePrintHook = std::function<void(ReportObject& object)>;

// A report: a template, its data, variables and page setup, prepared into
// pages.
//
// While the report is prepared, a name in an expression is looked up in
// this order: PAGE#, TOTALPAGES and LINE# (record number from 1); the
// program's callback; the variables set with setVariable; a field of the
// current record; the values the template defines; then DATE, TIME,
// PAGE_WIDTH and PAGE_HEIGHT (the printable area in report units). Names
// of set variables, fields and template values ignore letter case; the
// callback gets the name as written. A name that nothing answers shows as
// nothing.
class Report {
 public:
  Report() = default;

  // Throws ReportError for a missing or malformed template.
  void loadTemplate(const QString& path);
  void setTemplate(Template t) { template_ = std::move(t); }
  Template& reportTemplate() { return template_; }
  const Template& reportTemplate() const { return template_; }
  ReportObject* findObject(std::string_view name) const { return template_.findObject(name); }

  // The records of the master data band; not owned. Without a source the
  // master data band is not printed.
  void setDataSource(RecordSource* source) { source_ = source; }
  void setVariableCallback(VariableCallback cb) { callback_ = std::move(cb); }
  void setBeforePrint(BeforePrintHook hook) { hook_ = std::move(hook); }

  void setVariable(std::string_view name, Value v);
  // A variable set by the program; nothing when it was not set.
  Value variable(std::string_view name) const;
  // A value the template defines (such as MAP_W), evaluated with the
  // variables set so far; nothing when the template does not define it.
  Value templateValue(std::string_view name) const;

  // Page setup of the first page. Landscape turns the page, keeping its
  // paper size; margins in report units or in millimetres (× 18/5, rounded).
  void setLandscape(bool landscape) { template_.page.landscape = landscape; }
  // Turns the page to landscape when the printer is set to landscape.
  void applyPrinterOrientation(QPageLayout::Orientation orientation);
  void setMargins(double left, double top, double right, double bottom);
  void setMarginsMm(double left, double top, double right, double bottom);

  // Lays the report out. Throws ReportError when it cannot (an expression
  // set by the hook that does not parse, or a runaway data source).
  PreparedReport prepare();

  // Upper bound on pages, against a record source that never ends.
  void setMaxPages(int pages) { maxPages_ = pages > 0 ? pages : 1; }
  static constexpr int kDefaultMaxPages = 20000;

 private:
  friend class Preparer;
  Template template_;
  RecordSource* source_ = nullptr;
  VariableCallback callback_;
  BeforePrintHook hook_;
  std::map<std::string, Value> variables_;  // keys upper-cased
  int maxPages_ = kDefaultMaxPages;
};

}  // namespace kroyna::report
