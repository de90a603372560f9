#include "platform/report/Template.h"

#include "platform/file/SafeFile.h"

#include "platform/report/ReportError.h"
#include "platform/text/Cp1251.h"

#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace kroyna::report {

namespace {

struct Paper {
  const char* name;
  double w, h;
};
constexpr Paper kPapers[] = {{"A3", 297, 420}, {"A4", 210, 297},         {"A5", 148, 210},       {"A6", 105, 148},
                             {"B5", 176, 250}, {"Letter", 215.9, 279.4}, {"Legal", 215.9, 355.6}};

const std::pair<const char*, BandKind> kBandNames[] = {{"title", BandKind::Title},
                                                       {"pageHeader", BandKind::PageHeader},
                                                       {"groupHeader", BandKind::GroupHeader},
                                                       {"masterData", BandKind::MasterData},
                                                       {"groupFooter", BandKind::GroupFooter},
                                                       {"pageFooter", BandKind::PageFooter},
                                                       {"summary", BandKind::Summary}};

QString num(double v) { return QString::fromStdString(Value::number(v).toText()); }

double readDouble(const QXmlStreamAttributes& a, const char* name, double def, double lo, double hi) {
  if (!a.hasAttribute(QLatin1String(name))) return def;
  double v = 0;
  const QString s = a.value(QLatin1String(name)).toString();
  if (!parseNumber(s.toStdString(), v) || v < lo || v > hi)
    throw ReportError(std::string("Неверное значение ") + name + " \"" + s.toStdString() + "\"");
  return v;
}

// A number, or an expression evaluated when the report is prepared.
void readNumberOrExpr(const QXmlStreamAttributes& a, const char* name, double& value, std::optional<Expression>& expr) {
  if (!a.hasAttribute(QLatin1String(name))) return;
  const std::string s = a.value(QLatin1String(name)).toString().toStdString();
  double v = 0;
  if (parseNumber(s, v)) {
    if (v < 0 || v > 100000) throw ReportError(std::string("Неверное значение ") + name + " \"" + s + "\"");
    value = v;
  } else {
    expr = Expression::parse(s);
  }
}

void readPage(QXmlStreamReader& r, PageSetup& p) {
  const auto a = r.attributes();
  if (a.hasAttribute(QLatin1String("paper"))) {
    const QString paper = a.value(QLatin1String("paper")).toString();
    bool found = false;
    for (const Paper& k : kPapers)
      if (paper.compare(QLatin1String(k.name), Qt::CaseInsensitive) == 0) {
        p.paperWidthMm = k.w;
        p.paperHeightMm = k.h;
        found = true;
      }
    if (!found) throw ReportError("Неизвестный формат бумаги \"" + paper.toStdString() + "\"");
  }
  p.paperWidthMm = readDouble(a, "width", p.paperWidthMm, 10, 5000);
  p.paperHeightMm = readDouble(a, "height", p.paperHeightMm, 10, 5000);
  const QString o = a.value(QLatin1String("orientation")).toString();
  if (o.isEmpty() || o == QLatin1String("portrait"))
    p.landscape = false;
  else if (o == QLatin1String("landscape"))
    p.landscape = true;
  else
    throw ReportError("Неверная ориентация страницы \"" + o.toStdString() + "\"");
  p.left = readDouble(a, "left", 0, 0, 5000);
  p.top = readDouble(a, "top", 0, 0, 5000);
  p.right = readDouble(a, "right", 0, 0, 5000);
  p.bottom = readDouble(a, "bottom", 0, 0, 5000);
  if (p.printableWidth() <= 0 || p.printableHeight() <= 0) throw ReportError("Поля страницы больше самой страницы.");
  r.skipCurrentElement();
}

Band readBand(QXmlStreamReader& r) {
  Band b;
  const auto a = r.attributes();
  const QString kind = a.value(QLatin1String("kind")).toString();
  bool found = false;
  for (const auto& [n, k] : kBandNames)
    if (kind == QLatin1String(n)) {
      b.kind = k;
      found = true;
    }
  if (!found) throw ReportError("Неизвестный вид полосы \"" + kind.toStdString() + "\"");
  b.name = a.value(QLatin1String("name")).toString().toStdString();
  readNumberOrExpr(a, "height", b.height, b.heightExpr);
  readNumberOrExpr(a, "columnWidth", b.columnWidth, b.columnWidthExpr);
  readNumberOrExpr(a, "columnGap", b.columnGap, b.columnGapExpr);
  readNumberOrExpr(a, "rowGap", b.rowGap, b.rowGapExpr);
  if (a.hasAttribute(QLatin1String("visible")))
    b.visibleExpr = Expression::parse(a.value(QLatin1String("visible")).toString().toStdString());
  if (a.hasAttribute(QLatin1String("condition")))
    b.condition = Expression::parse(a.value(QLatin1String("condition")).toString().toStdString());
  b.group = a.value(QLatin1String("group")).toString().toStdString();
  b.newPage = a.value(QLatin1String("newPage")) == QLatin1String("1");
  if (b.kind == BandKind::GroupHeader && !b.condition)
    throw ReportError("У заголовка группы \"" + b.name + "\" нет условия (condition).");
  while (r.readNextStartElement()) {
    if (r.name() != QLatin1String("object"))
      throw ReportError("Неизвестный элемент \"" + r.name().toString().toStdString() + "\" в полосе");
    b.objects.push_back(readObjectElement(r));
  }
  return b;
}

void checkGroups(const Template& t) {
  int headers = 0;
  for (const Band& b : t.bands) headers += b.kind == BandKind::GroupHeader;
  int masters = 0;
  for (const Band& b : t.bands) {
    masters += b.kind == BandKind::MasterData;
    if (b.kind != BandKind::GroupFooter) continue;
    if (b.group.empty()) {
      if (headers != 1) throw ReportError("У подвала группы не указан заголовок группы (group).");
      continue;
    }
    bool ok = false;
    for (const Band& h : t.bands) ok = ok || (h.kind == BandKind::GroupHeader && h.name == b.group);
    if (!ok) throw ReportError("Подвал группы ссылается на неизвестный заголовок \"" + b.group + "\".");
  }
  if (masters > 1) throw ReportError("В шаблоне больше одной полосы данных (masterData).");
  if (headers > 0 && masters == 0) throw ReportError("Группы без полосы данных (masterData).");
}

}  // namespace

const char* bandKindName(BandKind k) {
  for (const auto& [n, kind] : kBandNames)
    if (kind == k) return n;
  return "";
}

QSizeF PageSetup::sizeUnits() const {
  QSizeF s(paperWidthMm * kUnitsPerMm, paperHeightMm * kUnitsPerMm);
  return landscape ? s.transposed() : s;
}

Band::Band(const Band& o)
    : kind(o.kind),
      name(o.name),
      height(o.height),
      heightExpr(o.heightExpr),
      condition(o.condition),
      group(o.group),
      columnWidth(o.columnWidth),
      columnWidthExpr(o.columnWidthExpr),
      columnGap(o.columnGap),
      columnGapExpr(o.columnGapExpr),
      rowGap(o.rowGap),
      rowGapExpr(o.rowGapExpr),
      visibleExpr(o.visibleExpr),
      newPage(o.newPage) {
  for (const auto& obj : o.objects) objects.push_back(obj->clone());
}

Band& Band::operator=(const Band& o) {
  if (this != &o) {
    Band copy(o);
    *this = std::move(copy);
  }
  return *this;
}

std::unique_ptr<ReportObject> readObjectElement(QXmlStreamReader& r) {
  const std::string cls = r.attributes().value(QLatin1String("class")).toString().toStdString();
  std::unique_ptr<ReportObject> obj = ObjectRegistry::instance().create(cls);
  if (!obj) throw ReportError("Неизвестный класс объекта \"" + cls + "\"");
  obj->readCommonAttributes(r.attributes());
  obj->loadProperties(r);
  if (r.hasError()) return obj;  // the caller reports the XML error
  if (!r.isEndElement() || r.name() != QLatin1String("object"))
    throw ReportError("Объект \"" + obj->name + "\" класса \"" + cls + "\" прочитан не до конца.");
  return obj;
}

void writeObjectElement(QXmlStreamWriter& w, const ReportObject& obj) {
  w.writeStartElement(QStringLiteral("object"));
  obj.writeCommonAttributes(w);
  obj.saveProperties(w);
  w.writeEndElement();
}

ReportObject* Template::findObject(std::string_view name) const {
  for (const Band& b : bands)
    for (const auto& o : b.objects)
      if (o->name == name) return o.get();
  return nullptr;
}

const Expression* Template::findVariable(std::string_view name) const {
  for (const auto& [n, e] : variables)
    if (text::equalsIgnoreCase(n, name)) return &e;
  return nullptr;
}

Template Template::read(const QString& path) {
  QFile f(path);
  if (!f.exists()) throw ReportError("Не найден файл шаблона отчета \"" + path.toStdString() + "\".");
  if (!f.open(QIODevice::ReadOnly))
    throw ReportError("Не удается открыть файл шаблона отчета \"" + path.toStdString() +
                      "\": " + f.errorString().toStdString());
  return parse(f.readAll(), path);
}

Template Template::parse(const QByteArray& xml, const QString& origin) {
  QXmlStreamReader r(xml);
  Template t;
  try {
    if (!r.readNextStartElement() || r.name() != QLatin1String("report")) {
      if (r.hasError()) throw ReportError(r.errorString().toStdString());
      throw ReportError("это не шаблон отчета (нет элемента report)");
    }
    t.title = r.attributes().value(QLatin1String("title")).toString();
    while (r.readNextStartElement()) {
      if (r.name() == QLatin1String("page")) {
        readPage(r, t.page);
      } else if (r.name() == QLatin1String("variables")) {
        while (r.readNextStartElement()) {
          if (r.name() != QLatin1String("variable"))
            throw ReportError("Неизвестный элемент \"" + r.name().toString().toStdString() + "\" в списке переменных");
          const std::string n = r.attributes().value(QLatin1String("name")).toString().toStdString();
          if (n.empty()) throw ReportError("У переменной нет имени.");
          t.variables.emplace_back(
              n, Expression::parse(r.attributes().value(QLatin1String("value")).toString().toStdString()));
          r.skipCurrentElement();
        }
      } else if (r.name() == QLatin1String("band")) {
        t.bands.push_back(readBand(r));
      } else {
        throw ReportError("Неизвестный элемент \"" + r.name().toString().toStdString() + "\"");
      }
    }
    if (r.hasError()) throw ReportError(r.errorString().toStdString());
    checkGroups(t);
  } catch (const ReportError& e) {
    throw ReportError("Ошибка в шаблоне отчета \"" + origin.toStdString() + "\", строка " +
                      std::to_string(r.lineNumber()) + ": " + e.what());
  }
  return t;
}

QByteArray Template::toXml() const {
  QByteArray out;
  QXmlStreamWriter w(&out);
  w.setAutoFormatting(true);
  w.writeStartDocument();
  w.writeStartElement(QStringLiteral("report"));
  if (!title.isEmpty()) w.writeAttribute(QStringLiteral("title"), title);
  w.writeStartElement(QStringLiteral("page"));
  w.writeAttribute(QStringLiteral("width"), num(page.paperWidthMm));
  w.writeAttribute(QStringLiteral("height"), num(page.paperHeightMm));
  w.writeAttribute(QStringLiteral("orientation"),
                   page.landscape ? QStringLiteral("landscape") : QStringLiteral("portrait"));
  w.writeAttribute(QStringLiteral("left"), num(page.left));
  w.writeAttribute(QStringLiteral("top"), num(page.top));
  w.writeAttribute(QStringLiteral("right"), num(page.right));
  w.writeAttribute(QStringLiteral("bottom"), num(page.bottom));
  w.writeEndElement();
  if (!variables.empty()) {
    w.writeStartElement(QStringLiteral("variables"));
    for (const auto& [n, e] : variables) {
      w.writeStartElement(QStringLiteral("variable"));
      w.writeAttribute(QStringLiteral("name"), QString::fromStdString(n));
      w.writeAttribute(QStringLiteral("value"), QString::fromStdString(e.source()));
      w.writeEndElement();
    }
    w.writeEndElement();
  }
  for (const Band& b : bands) {
    w.writeStartElement(QStringLiteral("band"));
    w.writeAttribute(QStringLiteral("kind"), QLatin1String(bandKindName(b.kind)));
    if (!b.name.empty()) w.writeAttribute(QStringLiteral("name"), QString::fromStdString(b.name));
    w.writeAttribute(QStringLiteral("height"),
                     b.heightExpr ? QString::fromStdString(b.heightExpr->source()) : num(b.height));
    if (b.columnWidthExpr || b.columnWidth > 0)
      w.writeAttribute(QStringLiteral("columnWidth"),
                       b.columnWidthExpr ? QString::fromStdString(b.columnWidthExpr->source()) : num(b.columnWidth));
    if (b.columnGapExpr || b.columnGap > 0)
      w.writeAttribute(QStringLiteral("columnGap"),
                       b.columnGapExpr ? QString::fromStdString(b.columnGapExpr->source()) : num(b.columnGap));
    if (b.rowGapExpr || b.rowGap > 0)
      w.writeAttribute(QStringLiteral("rowGap"),
                       b.rowGapExpr ? QString::fromStdString(b.rowGapExpr->source()) : num(b.rowGap));
    if (b.visibleExpr) w.writeAttribute(QStringLiteral("visible"), QString::fromStdString(b.visibleExpr->source()));
    if (b.condition) w.writeAttribute(QStringLiteral("condition"), QString::fromStdString(b.condition->source()));
    if (!b.group.empty()) w.writeAttribute(QStringLiteral("group"), QString::fromStdString(b.group));
    if (b.newPage) w.writeAttribute(QStringLiteral("newPage"), QStringLiteral("1"));
    for (const auto& o : b.objects) writeObjectElement(w, *o);
    w.writeEndElement();
  }
  w.writeEndElement();
  w.writeEndDocument();
  return out;
}

void Template::write(const QString& path) const { saveFileAtomically(path, toXml()); }

void saveFileAtomically(const QString& path, const QByteArray& bytes) {
  try {
    platform::writeFileAtomically(std::filesystem::path(path.toStdString()),
                                  std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  } catch (const platform::FileError& e) {
    throw ReportError("Не удается записать файл \"" + path.toStdString() + "\": " + e.reason());
  }
}

}  // namespace kroyna::report
