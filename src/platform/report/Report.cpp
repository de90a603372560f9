#include "platform/report/Report.h"

#include "platform/report/ReportError.h"
#include "platform/text/Cp1251.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <set>

namespace kroyna::report {

void Report::loadTemplate(const QString& path) { template_ = Template::read(path); }

void Report::setVariable(std::string_view name, Value v) { variables_[text::toUpperUtf8(name)] = std::move(v); }

Value Report::variable(std::string_view name) const {
  auto it = variables_.find(text::toUpperUtf8(name));
  return it == variables_.end() ? Value() : it->second;
}

void Report::applyPrinterOrientation(QPageLayout::Orientation orientation) {
  if (orientation == QPageLayout::Landscape) setLandscape(true);
}

void Report::setMargins(double left, double top, double right, double bottom) {
  auto clampMargin = [](double v) { return std::clamp(v, 0.0, 5000.0); };
  template_.page.left = clampMargin(left);
  template_.page.top = clampMargin(top);
  template_.page.right = clampMargin(right);
  template_.page.bottom = clampMargin(bottom);
}

void Report::setMarginsMm(double left, double top, double right, double bottom) {
  setMargins(mmToUnits(left), mmToUnits(top), mmToUnits(right), mmToUnits(bottom));
}

namespace {
// Stands for the page count until the last page is known.
const std::string kTotalPagesMark =
    "\xEE\x80\x80"
    "888"
    "\xEE\x80\x80";  // U+E000 888 U+E000
}  // namespace

class Preparer {
 public:
  explicit Preparer(Report& r) : r_(r), t_(r.template_), page_(t_.page) {
    ctx_.lookup = [this](std::string_view n) { return lookup(n); };
    ctx_.aggregate = [this](bool c, const std::string& a) { return aggregate(c, a); };
  }
  Preparer(const Preparer&) = delete;
  Preparer& operator=(const Preparer&) = delete;

  Value lookup(std::string_view name) {
    const std::string upper = text::toUpperUtf8(name);
    if (upper == "PAGE#") return Value::number(pageNo_);
    if (upper == "TOTALPAGES") return Value::text(kTotalPagesMark);
    if (upper == "LINE#") return Value::number(lineNo_);
    if (snapshot_) {
      auto it = snapshot_->find(upper);
      if (it != snapshot_->end()) return it->second;
    }
    if (r_.callback_)
      if (auto v = r_.callback_(name)) return *v;
    auto it = r_.variables_.find(upper);
    if (it != r_.variables_.end()) return it->second;
    if (r_.source_ && inData_ && !r_.source_->eof())
      if (auto v = r_.source_->field(name)) return *v;
    if (const Expression* e = t_.findVariable(name)) {
      // Template values may use one another; a name met again while
      // it is being evaluated gives nothing, so a loop ends.
      if (std::find(evaluating_.begin(), evaluating_.end(), upper) != evaluating_.end()) return {};
      evaluating_.push_back(upper);
      Value v = e->evaluate(ctx_);
      evaluating_.pop_back();
      return v;
    }
    if (upper == "DATE") return Value::text(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")).toStdString());
    if (upper == "TIME") return Value::text(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")).toStdString());
    if (upper == "PAGE_WIDTH") return Value::number(page_.printableWidth());
    if (upper == "PAGE_HEIGHT") return Value::number(page_.printableHeight());
    return {};
  }

  Value aggregate(bool isCount, const std::string& arg) {
    const Acc& acc =
        scope_ >= 0 && scope_ < static_cast<int>(groupAcc_.size()) ? groupAcc_[static_cast<size_t>(scope_)] : total_;
    if (isCount) return Value::number(acc.count);
    auto it = acc.sums.find(arg);
    return Value::number(it == acc.sums.end() ? 0 : it->second);
  }

  PreparedReport run() {
    scanTemplate();

    startPage();
    if (r_.source_ && master_) {
      inData_ = true;
      const size_t n = groups_.size();
      groupAcc_.assign(n, Acc{});
      std::vector<std::string> current(n);
      bool first = true;
      r_.source_->first();
      while (!r_.source_->eof()) {
        std::vector<std::string> values(n);
        for (size_t i = 0; i < n; ++i) values[i] = groups_[i].header->condition->evaluate(ctx_).toText();
        size_t changed = 0;
        if (!first) {
          changed = n;
          for (size_t i = 0; i < n; ++i)
            if (values[i] != current[i]) {
              changed = i;
              break;
            }
          for (size_t lvl = n; lvl-- > changed;) printGroupFooter(lvl);
        }
        for (size_t lvl = changed; lvl < n; ++lvl) {
          groupAcc_[lvl] = Acc{};
          printBand(*groups_[lvl].header);
        }
        current = values;
        ++lineNo_;
        accumulate();
        takeSnapshot();
        printBand(*master_);
        r_.source_->next();
        first = false;
      }
      if (!first)
        for (size_t lvl = n; lvl-- > 0;) printGroupFooter(lvl);
      flushColumns();
      inData_ = false;
    }
    for (const Band& b : t_.bands)
      if (b.kind == BandKind::Summary) printBand(b);
    endPage();

    const QString total = QString::number(out_.pageCount());
    const QString mark = QString::fromStdString(kTotalPagesMark);
    for (PreparedPage& p : out_.pages)
      for (auto& o : p.objects)
        if (auto* t = dynamic_cast<TextObject*>(o.get()); t && t->shown.contains(mark)) {
          t->shown.replace(mark, total);
          for (QString& l : t->lines) l.replace(mark, total);
        }
    out_.title = t_.title;
    return std::move(out_);
  }

 private:
  struct Acc {
    std::map<std::string, double> sums;
    double count = 0;
  };
  struct Group {
    const Band* header = nullptr;
    const Band* footer = nullptr;
  };

  void scanTemplate() {
    for (const Band& b : t_.bands) {
      if (b.kind == BandKind::MasterData) master_ = &b;
      if (b.kind == BandKind::GroupHeader) groups_.push_back({&b, nullptr});
    }
    for (const Band& b : t_.bands) {
      if (b.kind != BandKind::GroupFooter) continue;
      for (Group& g : groups_)
        if (b.group.empty() ? groups_.size() == 1 : g.header->name == b.group) g.footer = &b;
    }
    for (const Band& b : t_.bands) {
      for (const auto& o : b.objects) {
        for (const auto& [attr, e] : o->bindings) {
          e.collectAggregates(sums_, usesCount_);
          if (b.kind == BandKind::GroupFooter) e.collectNames(footerNames_);
        }
        if (auto* t = dynamic_cast<const TextObject*>(o.get())) {
          TextTemplate tt = TextTemplate::parse(t->text);
          tt.collectAggregates(sums_, usesCount_);
          if (b.kind == BandKind::GroupFooter) tt.collectNames(footerNames_);
        }
      }
    }
    for (const std::string& s : sums_) sumExprs_.push_back(Expression::parse(s));
    fitBandsToPage();
    // Page footers are placed at the foot of the page; the records stop above them.
    for (const Band& b : t_.bands)
      if (b.kind == BandKind::PageFooter) footerHeight_ += bandHeight(b);
  }

  // Bands are laid out inside the page less its margins. A template is
  // drawn for some printable width; where its bands reach further than the
  // page now allows (wider margins, a smaller paper), every band is
  // narrowed by the same factor, so that the columns of headers and rows
  // stay in line and the right margin is kept. Objects placed by an
  // expression (PAGE_WIDTH, MAP_W...) already follow the page, and the
  // columns of labels keep their exact size; neither is narrowed.
  static bool placedByExpression(const ReportObject& o) { return o.bindings.count("x") || o.bindings.count("width"); }
  static bool isColumnBand(const Band& b) {
    return b.kind == BandKind::MasterData && (b.columnWidth > 0 || b.columnWidthExpr);
  }
  void fitBandsToPage() {
    double reach = 0;
    for (const Band& b : t_.bands) {
      if (isColumnBand(b)) continue;
      for (const auto& o : b.objects)
        if (!placedByExpression(*o)) reach = std::max(reach, std::max(o->x, o->x + o->width));
    }
    const double room = page_.printableWidth();
    narrowing_ = reach > room + 1e-6 && room > 0 ? room / reach : 1.0;
  }

  void accumulate() {
    for (size_t i = 0; i < sums_.size(); ++i) {
      double v = sumExprs_[i].evaluate(ctx_).toNumber();
      total_.sums[sums_[i]] += v;
      for (Acc& a : groupAcc_) a.sums[sums_[i]] += v;
    }
    total_.count += 1;
    for (Acc& a : groupAcc_) a.count += 1;
  }

  // Group footers print after the source has moved on to the next
  // record; they see the values of the group's last record.
  void takeSnapshot() {
    if (footerNames_.empty()) return;
    lastRecord_.clear();
    for (const std::string& n : footerNames_) lastRecord_[text::toUpperUtf8(n)] = lookup(n);
  }

  void printGroupFooter(size_t lvl) {
    flushColumns();
    if (!groups_[lvl].footer) return;
    snapshot_ = &lastRecord_;
    scope_ = static_cast<int>(lvl);
    printBand(*groups_[lvl].footer);
    scope_ = -1;
    snapshot_ = nullptr;
  }

  double gapOf(const std::optional<Expression>& e, double value) {
    const double g = e ? e->evaluate(ctx_).toNumber() : value;
    return std::isfinite(g) ? std::clamp(g, 0.0, 100000.0) : 0;
  }

  double bandHeight(const Band& b) {
    double h = b.heightExpr ? b.heightExpr->evaluate(ctx_).toNumber() : b.height;
    return std::isfinite(h) ? std::clamp(h, 0.0, 100000.0) : 0;
  }

  TextTemplate parsed(const std::string& text) {
    auto it = textCache_.find(text);
    if (it == textCache_.end()) it = textCache_.emplace(text, TextTemplate::parse(text)).first;
    return it->second;
  }

  // Copies of the band's objects with bindings, hook and texts applied;
  // returns the band's height, grown by stretching texts.
  double instantiate(const Band& b, std::vector<std::unique_ptr<ReportObject>>& objs) {
    objs.clear();
    double h = bandHeight(b);
    for (const auto& tmpl : b.objects) {
      std::unique_ptr<ReportObject> o = tmpl->clone();
      if (narrowing_ != 1.0 && !isColumnBand(b) && !placedByExpression(*tmpl)) {
        o->x *= narrowing_;
        o->width *= narrowing_;
      }
      for (const auto& [attr, e] : tmpl->bindings) o->applyBinding(attr, e.evaluate(ctx_));
      o->bindings.clear();
      if (!o->visible) continue;
      if (r_.hook_) r_.hook_(*o);
      if (!o->visible) continue;
      if (auto* t = dynamic_cast<TextObject*>(o.get())) {
        t->shown = QString::fromStdString(parsed(t->text).expand(ctx_));
        t->text.clear();
        t->layout();
        if (t->stretch) h = std::max(h, t->y + t->height);
      }
      objs.push_back(std::move(o));
    }
    return h;
  }

  void place(std::vector<std::unique_ptr<ReportObject>>& objs, double dx, double dy) {
    for (auto& o : objs) {
      o->x += dx;
      o->y += dy;
      out_.pages.back().objects.push_back(std::move(o));
    }
    objs.clear();
  }

  double contentBottom() const { return page_.sizeUnits().height() - page_.bottom - footerHeight_; }

  void startPage() {
    if (out_.pageCount() >= r_.maxPages_)
      throw ReportError("Отчет слишком велик: больше " + std::to_string(r_.maxPages_) + " страниц.");
    PreparedPage p;
    p.size = page_.sizeUnits();
    out_.pages.push_back(std::move(p));
    ++pageNo_;
    y_ = page_.top;
    hasContent_ = false;
    inPageFrame_ = true;
    if (pageNo_ == 1)
      for (const Band& b : t_.bands)
        if (b.kind == BandKind::Title) printBand(b);
    for (const Band& b : t_.bands)
      if (b.kind == BandKind::PageHeader) printBand(b);
    inPageFrame_ = false;
    hasContent_ = false;
  }

  void endPage() {
    flushColumns();
    double y = contentBottom();
    for (const Band& b : t_.bands) {
      if (b.kind != BandKind::PageFooter) continue;
      if (b.visibleExpr && !b.visibleExpr->evaluate(ctx_).toBool()) continue;
      std::vector<std::unique_ptr<ReportObject>> objs;
      double h = instantiate(b, objs);
      place(objs, page_.left, y);
      y += h;
    }
  }

  void newPage() {
    flushColumns();
    endPage();
    startPage();
  }

  void flushColumns() {
    if (col_ > 0) {
      y_ = rowTop_ + rowHeight_;
      col_ = 0;
    }
  }

  void printBand(const Band& b) {
    if (b.visibleExpr && !b.visibleExpr->evaluate(ctx_).toBool()) return;
    const bool columns = b.kind == BandKind::MasterData && (b.columnWidth > 0 || b.columnWidthExpr);
    if (!columns) flushColumns();
    if (b.newPage && hasContent_ && !inPageFrame_) newPage();
    std::vector<std::unique_ptr<ReportObject>> objs;
    double h = instantiate(b, objs);
    if (columns) {
      double cw = b.columnWidthExpr ? b.columnWidthExpr->evaluate(ctx_).toNumber() : b.columnWidth;
      if (!std::isfinite(cw) || cw < 1) cw = page_.printableWidth();
      const double gap = gapOf(b.columnGapExpr, b.columnGap);
      // A gap between two columns, none after the last: as many columns as
      // the page holds to a hair (label sheets fill their paper exactly).
      const int cols = std::clamp(static_cast<int>((page_.printableWidth() + gap) / (cw + gap) + 1e-6), 1, 1000);
      if (col_ >= cols) flushColumns();
      if (col_ == 0) {
        const double rowGap = hasContent_ ? gapOf(b.rowGapExpr, b.rowGap) : 0;
        if (y_ + rowGap + h > contentBottom() + 1e-6 && hasContent_) {
          newPage();
          h = instantiate(b, objs);
        } else {
          y_ += rowGap;
        }
        rowTop_ = y_;
        rowHeight_ = 0;
      }
      place(objs, page_.left + col_ * (cw + gap), rowTop_);
      rowHeight_ = std::max(rowHeight_, h);
      hasContent_ = true;
      if (++col_ >= cols) flushColumns();
      return;
    }
    if (!inPageFrame_ && y_ + h > contentBottom() + 1e-6 && hasContent_) {
      newPage();
      h = instantiate(b, objs);
    }
    place(objs, page_.left, y_);
    y_ += h;
    if (!inPageFrame_) hasContent_ = true;
  }

  Report& r_;
  const Template& t_;
  const PageSetup& page_;
  EvalContext ctx_;
  PreparedReport out_;
  const Band* master_ = nullptr;
  std::vector<Group> groups_;
  std::vector<std::string> sums_;
  std::vector<Expression> sumExprs_;
  bool usesCount_ = false;
  std::vector<std::string> footerNames_;
  std::map<std::string, Value> lastRecord_;
  const std::map<std::string, Value>* snapshot_ = nullptr;
  std::vector<Acc> groupAcc_;
  Acc total_;
  int scope_ = -1;
  std::map<std::string, TextTemplate> textCache_;
  int pageNo_ = 0;
  int lineNo_ = 0;
  std::vector<std::string> evaluating_;
  bool inData_ = false;
  double y_ = 0;
  double footerHeight_ = 0;
  double narrowing_ = 1.0;  // of positions and widths across the page, see fitBandsToPage()
  bool hasContent_ = false;
  bool inPageFrame_ = false;
  int col_ = 0;
  double rowTop_ = 0, rowHeight_ = 0;
};

Value Report::templateValue(std::string_view name) const {
  if (!template_.findVariable(name)) return {};
  // Evaluated outside any page or record: program variables, the
  // callback, other template values and the page size are known.
  Preparer p(const_cast<Report&>(*this));
  return p.lookup(name);
}

PreparedReport Report::prepare() {
  Preparer p(*this);
  return p.run();
}

}  // namespace kroyna::report
