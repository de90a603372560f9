#pragma once

#include "platform/report/Expression.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QPainter;
class QXmlStreamAttributes;
class QXmlStreamReader;
class QXmlStreamWriter;

namespace kroyna::report {

// Report units: 18/5 units per millimetre, as the program gives margins and
// label sizes. All positions and sizes in templates and prepared reports
// are in these units.
inline constexpr double kUnitsPerMm = 18.0 / 5.0;
inline constexpr double kUnitsPerInch = kUnitsPerMm * 25.4;

// Margins and sizes in millimetres as whole report units: mm × 18 / 5, rounded.
int mmToUnits(double mm);

// Where and how large a page is drawn: device units per report unit, the
// device position of the page's top-left corner, and the factor for font
// point sizes that makes text keep its size relative to the page.
struct RenderContext {
  QPainter* painter = nullptr;
  double scale = 1;
  double fontScale = 1;
  QPointF origin;

  // For a painter on `device` drawing at `scale` device units per report unit.
  static RenderContext forDevice(QPainter* painter, double scale, QPointF origin = {});
  QRectF toDevice(const QRectF& units) const;
  QPointF toDevice(QPointF units) const;
  double toDevice(double units) const { return units * scale; }
};

struct FontSpec {
  QString family = QStringLiteral("Arial");
  double size = 10;  // points
  bool bold = false;
  bool italic = false;
  bool underline = false;

  QFont toQFont(double fontScale = 1) const;
};

// Positions and sizes of objects, in report units, lie within
// ±kMaxPosition, whether read from a file or given by an expression.
inline constexpr double kMaxPosition = 1e6;

// Frame lines of an object: a bit per side.
enum FrameLine : int { FrameLeft = 1, FrameTop = 2, FrameRight = 4, FrameBottom = 8, FrameAll = 15 };

// One object of a band: position and size in report units relative to the
// band (in a prepared page: relative to the page), a frame, a fill and
// visibility. Numeric attributes may be expressions ("bindings") that the
// engine evaluates each time the object is printed.
class ReportObject {
 public:
  ReportObject() = default;
  ReportObject(const ReportObject&) = default;
  ReportObject& operator=(const ReportObject&) = default;
  virtual ~ReportObject() = default;

  // "text", "line", "rect", or the name a custom class was registered under.
  virtual std::string className() const = 0;
  virtual std::unique_ptr<ReportObject> clone() const = 0;

  // Draws the object in a prepared page. The default fills and frames it.
  virtual void draw(const RenderContext& rc) const;

  // Attributes and child elements of the class beyond the common ones.
  // readAttribute returns false for a name it does not know; it throws
  // ReportError for a value it cannot use. loadProperties starts inside
  // the object's element and must read up to its end element.
  virtual bool readAttribute(const QString& name, const QString& value);
  virtual void writeAttributes(QXmlStreamWriter& w) const;
  virtual void saveProperties(QXmlStreamWriter& w) const;
  virtual void loadProperties(QXmlStreamReader& r);

  // Applies the evaluated value of a binding; false for an unknown name.
  virtual bool applyBinding(const std::string& attribute, const Value& v);

  // The texts the object shows (for find and the text exports).
  virtual QStringList texts() const { return {}; }

  void readCommonAttributes(const QXmlStreamAttributes& attrs);
  void writeCommonAttributes(QXmlStreamWriter& w) const;

  std::string name;
  double x = 0, y = 0, width = 0, height = 0;
  int frameLines = 0;
  double frameWidth = 1;
  QColor frameColor = Qt::black;
  QColor fill;  // invalid: not filled
  bool visible = true;
  std::map<std::string, Expression> bindings;

 protected:
  // Reads a number, or keeps the text as a binding expression. A number
  // outside [lo, hi] (or, with `whole`, not a whole number) is refused with
  // a ReportError naming the attribute, before anything converts it.
  void readNumber(const QString& attr, const QString& value, double& target, double lo, double hi, bool whole = false);
  void drawFill(const RenderContext& rc) const;
  void drawFrame(const RenderContext& rc) const;
};

enum class HAlign { Left = 0, Right = 1, Center = 2 };
enum class VAlign { Top = 0, Center = 1, Bottom = 2 };

// Text with embedded [expressions], wrapped or clipped to its frame.
class TextObject : public ReportObject {
 public:
  std::string className() const override { return "text"; }
  std::unique_ptr<ReportObject> clone() const override { return std::make_unique<TextObject>(*this); }
  void draw(const RenderContext& rc) const override;
  bool readAttribute(const QString& name, const QString& value) override;
  void writeAttributes(QXmlStreamWriter& w) const override;
  void saveProperties(QXmlStreamWriter& w) const override;
  void loadProperties(QXmlStreamReader& r) override;
  bool applyBinding(const std::string& attribute, const Value& v) override;
  QStringList texts() const override;

  // Breaks `shown` into lines for the object's width and font; with
  // stretch on, grows the height to hold them all.
  void layout();

  std::string text;  // as written in the template, with [expressions]
  QString shown;     // after expansion (prepared reports)
  std::vector<QString> lines;
  FontSpec font;
  QColor color = Qt::black;
  HAlign align = HAlign::Left;
  VAlign valign = VAlign::Top;
  bool wordWrap = false;
  bool stretch = false;
};

// A straight line from (x, y) to (x + width, y + height), drawn with the frame pen.
class LineObject : public ReportObject {
 public:
  std::string className() const override { return "line"; }
  std::unique_ptr<ReportObject> clone() const override { return std::make_unique<LineObject>(*this); }
  void draw(const RenderContext& rc) const override;
};

// A filled rectangle with a frame on all four sides.
class RectObject : public ReportObject {
 public:
  RectObject() { frameLines = FrameAll; }
  std::string className() const override { return "rect"; }
  std::unique_ptr<ReportObject> clone() const override { return std::make_unique<RectObject>(*this); }
};

// Text measurement in report units, the same on every device, so that a
// report breaks its lines and pages alike on screen, paper and PDF.
double textLineHeight(const FontSpec& font);
double textWidth(const FontSpec& font, const QString& s);
// Splits at line breaks ("\r\n", "\r", "\n"); with wrap, also breaks long
// lines at spaces, and words longer than the width between characters.
std::vector<QString> breakText(const QString& text, const FontSpec& font, double width, bool wrap);
// Inner padding of text in its frame, report units.
inline constexpr double kTextPadding = 2.0;

// Object classes the program adds to the engine, such as a cutting map.
struct ObjectClass {
  std::string name;  // stored in templates as the object's class
  QString caption;   // shown to the user
  QImage bitmap;     // designer picture
  std::function<std::unique_ptr<ReportObject>()> create;
};

class ObjectRegistry {
 public:
  static ObjectRegistry& instance();
  // False when the name is taken (by a built-in or an earlier class).
  bool add(ObjectClass cls);
  const ObjectClass* find(const std::string& name) const;
  std::vector<const ObjectClass*> classes() const;
  // The built-in classes and the registered ones; nullptr for an unknown name.
  std::unique_ptr<ReportObject> create(const std::string& name) const;

 private:
  std::vector<ObjectClass> classes_;
};

// QColor as "#rrggbb" and back; an empty text is no colour. Throws
// ReportError for text that is not a colour.
QColor parseColor(const QString& s);
QString colorText(const QColor& c);

}  // namespace kroyna::report
