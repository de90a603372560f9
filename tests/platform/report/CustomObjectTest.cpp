#include "ReportTestSupport.h"

#include "platform/report/Render.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"

#include <QImage>
#include <QPainter>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <gtest/gtest.h>

using namespace kroyna::report;

namespace {

// A stand-in for a program's own object class: coloured rectangles given
// in millimetres of a sheet, drawn at a ratio, stored as child elements.
class SheetSketch : public ReportObject {
 public:
  struct Piece {
    int left, top, width, height;
  };
  QColor brush = Qt::red;
  double ratio = 1;
  std::vector<Piece> pieces;

  std::string className() const override { return "TestSheetSketch"; }
  std::unique_ptr<ReportObject> clone() const override { return std::make_unique<SheetSketch>(*this); }

  bool readAttribute(const QString& n, const QString& v) override {
    if (n == QLatin1String("brush")) {
      brush = parseColor(v);
      return true;
    }
    return false;
  }
  void writeAttributes(QXmlStreamWriter& w) const override {
    w.writeAttribute(QStringLiteral("brush"), colorText(brush));
  }

  void saveProperties(QXmlStreamWriter& w) const override {
    w.writeTextElement(QStringLiteral("ratio"), QString::number(ratio, 'g', 17));
    for (const Piece& p : pieces) {
      w.writeStartElement(QStringLiteral("piece"));
      w.writeAttribute(QStringLiteral("l"), QString::number(p.left));
      w.writeAttribute(QStringLiteral("t"), QString::number(p.top));
      w.writeAttribute(QStringLiteral("w"), QString::number(p.width));
      w.writeAttribute(QStringLiteral("h"), QString::number(p.height));
      w.writeEndElement();
    }
  }
  void loadProperties(QXmlStreamReader& r) override {
    while (r.readNextStartElement()) {
      if (r.name() == QLatin1String("ratio")) {
        ratio = r.readElementText().toDouble();
      } else if (r.name() == QLatin1String("piece")) {
        const auto a = r.attributes();
        pieces.push_back({a.value(QLatin1String("l")).toInt(), a.value(QLatin1String("t")).toInt(),
                          a.value(QLatin1String("w")).toInt(), a.value(QLatin1String("h")).toInt()});
        r.skipCurrentElement();
      } else {
        throw ReportError("unexpected element in sketch");
      }
    }
  }
  void draw(const RenderContext& rc) const override {
    for (const Piece& p : pieces)
      rc.painter->fillRect(
          rc.toDevice(QRectF(x + p.left * ratio, y + p.top * ratio, p.width * ratio, p.height * ratio)), brush);
    drawFrame(rc);
  }
};

void registerSketch() {
  static bool done = [] {
    QImage bitmap(16, 16, QImage::Format_ARGB32);
    bitmap.fill(Qt::darkGreen);
    return ObjectRegistry::instance().add(
        {"TestSheetSketch", QStringLiteral("Карта раскроя"), bitmap, [] { return std::make_unique<SheetSketch>(); }});
  }();
  ASSERT_TRUE(done);
}

const char* kTemplate = R"(<report><page paper="A5" left="0" top="0" right="0" bottom="0"/>
  <variables><variable name="MAP_W" value="400"/><variable name="MAP_H" value="300"/></variables>
  <band kind="masterData" height="320">
    <object class="TestSheetSketch" name="Map" x="10" y="10" width="400" height="300" brush="#0000ff" frame="15">
      <ratio>1</ratio>
    </object>
  </band></report>)";

class CustomObjects : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ensureApp();
    registerSketch();
  }
};

}  // namespace

TEST_F(CustomObjects, RegisteredClassesAreKnownByNameOnce) {
  const ObjectClass* cls = ObjectRegistry::instance().find("TestSheetSketch");
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(cls->caption, QStringLiteral("Карта раскроя"));
  EXPECT_FALSE(cls->bitmap.isNull());
  EXPECT_FALSE(ObjectRegistry::instance().add(
      {"TestSheetSketch", QStringLiteral("x"), {}, [] { return std::make_unique<SheetSketch>(); }}));
  EXPECT_FALSE(ObjectRegistry::instance().add(
      {"text", QStringLiteral("x"), {}, [] { return std::make_unique<SheetSketch>(); }}));
  EXPECT_FALSE(ObjectRegistry::instance().add({"NoFactory", QStringLiteral("x"), {}, {}}));
}

TEST_F(CustomObjects, FilledByTheHookStoredInPreparedReportsAndDrawn) {
  Report report;
  report.setTemplate(Template::parse(kTemplate, QStringLiteral("sketch")));
  ASSERT_NE(dynamic_cast<SheetSketch*>(report.findObject("Map")), nullptr);
  // Sheets of 2800 x 2070 and 1000 x 1000 mm, fitted to MAP_W × MAP_H as a map report does.
  const std::vector<std::pair<int, int>> sheets = {{2800, 2070}, {1000, 1000}};
  int index = 0;
  DrivenRecordSource src = DrivenRecordSource::counted(static_cast<int>(sheets.size()), &index);
  report.setDataSource(&src);
  const double mapW = report.templateValue("MAP_W").toNumber();
  const double mapH = report.templateValue("MAP_H").toNumber();
  report.setBeforePrint([&](ReportObject& o) {
    if (o.name != "Map") return;
    auto& map = dynamic_cast<SheetSketch&>(o);
    auto [w, h] = sheets[static_cast<size_t>(index)];
    map.ratio = std::min((mapW - 9) / w, (mapH - 9) / h);
    map.width = std::trunc(w * map.ratio);
    map.height = std::trunc(h * map.ratio);
    map.pieces = {{0, 0, w / 2, h / 2}, {w / 2, h / 2, w / 2, h / 2}};
  });
  PreparedReport prepared = report.prepare();
  ASSERT_EQ(prepared.pageCount(), 1);
  ASSERT_EQ(prepared.pages[0].objects.size(), 2u);

  // The prepared report keeps each object's own properties.
  PreparedReport back = PreparedReport::parse(prepared.toXml(), QStringLiteral("sketch.kpr"));
  ASSERT_EQ(back.pages[0].objects.size(), 2u);
  auto& first = dynamic_cast<SheetSketch&>(*back.pages[0].objects[0]);
  auto& second = dynamic_cast<SheetSketch&>(*back.pages[0].objects[1]);
  EXPECT_EQ(first.brush, QColor(Qt::blue));
  EXPECT_DOUBLE_EQ(first.ratio, (400.0 - 9) / 2800);
  ASSERT_EQ(first.pieces.size(), 2u);
  EXPECT_EQ(first.pieces[1].left, 1400);
  EXPECT_DOUBLE_EQ(second.width, 291);
  EXPECT_DOUBLE_EQ(second.y, 330);

  // Drawn: the first piece's centre is blue, the empty quarter is not.
  QImage img(QSize(420, 700), QImage::Format_ARGB32);
  img.fill(Qt::white);
  {
    QPainter p(&img);
    renderPage(p, back.pages[0], 1.0);
  }
  const double r = first.ratio;
  EXPECT_EQ(img.pixelColor(static_cast<int>(10 + 700 * r), static_cast<int>(10 + 517 * r)), QColor(Qt::blue));
  EXPECT_EQ(img.pixelColor(static_cast<int>(10 + 2100 * r), static_cast<int>(10 + 517 * r)), QColor(Qt::white));
}

TEST_F(CustomObjects, AClassThatReadsBadPropertiesStopsTheLoad) {
  QByteArray xml = kTemplate;
  xml.replace("<ratio>1</ratio>", "<colour/>");
  try {
    Template::parse(xml, QStringLiteral("bad.frf"));
    FAIL();
  } catch (const ReportError& e) {
    EXPECT_NE(std::string(e.what()).find("bad.frf"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("unexpected element"), std::string::npos);
  }
}
