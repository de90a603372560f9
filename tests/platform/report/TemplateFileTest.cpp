#include "ReportTestSupport.h"

#include "platform/report/PreparedReport.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/report/Template.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kroyna::report;

namespace {

class TemplateFile : public ::testing::Test {
 protected:
  void SetUp() override { test::ensureApp(); }

  std::string errorOf(const QByteArray& xml) {
    try {
      Template::parse(xml, QStringLiteral("broken.frf"));
    } catch (const ReportError& e) {
      return e.what();
    }
    return {};
  }
};

const char* kHead = "<report><page paper=\"A4\"/>";

}  // namespace

TEST_F(TemplateFile, RoundTripKeepsEverything) {
  Template t = Template::read(test::testData("AllBands.frf"));
  ASSERT_EQ(t.bands.size(), 7u);
  const QByteArray first = t.toXml();
  Template again = Template::parse(first, QStringLiteral("again"));
  EXPECT_EQ(again.toXml(), first);

  auto* memo = dynamic_cast<TextObject*>(again.findObject("mmTitle"));
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(memo->text, "СПИСОК ДЕТАЛЕЙ: [BASENAME]");
  EXPECT_EQ(memo->align, HAlign::Center);
  EXPECT_TRUE(memo->font.bold);
  EXPECT_DOUBLE_EQ(memo->font.size, 16);
  EXPECT_EQ(again.bands[2].condition->source(), "MATNAME");

  // Bindings survive as expressions.
  Template labels = Template::read(test::testData("Labels.frf"));
  Template labels2 = Template::parse(labels.toXml(), QStringLiteral("labels"));
  ASSERT_TRUE(labels2.findObject("Memo1"));
  EXPECT_EQ(labels2.findObject("Memo1")->bindings.at("frame").source(), "FRAMETYPE");
  EXPECT_EQ(labels2.bands[0].columnWidthExpr->source(), "CELLWIDTH");

  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("copy.frf"));
  t.write(path);
  EXPECT_EQ(Template::read(path).toXml(), first);
}

TEST_F(TemplateFile, MissingOrMalformedTemplatesGiveClearErrors) {
  try {
    Template::read(QStringLiteral("/nonexistent/Reports/Group.frf"));
    FAIL();
  } catch (const ReportError& e) {
    EXPECT_NE(std::string(e.what()).find("Не найден файл шаблона отчета"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("Group.frf"), std::string::npos);
  }
  EXPECT_NE(errorOf("<report><page").find("broken.frf"), std::string::npos);
  EXPECT_NE(errorOf("<html/>").find("нет элемента report"), std::string::npos);
  EXPECT_NE(errorOf(QByteArray(kHead) + "<band kind=\"footer\"/></report>").find("Неизвестный вид полосы"),
            std::string::npos);
  EXPECT_NE(errorOf(QByteArray(kHead) + "<band kind=\"title\"><object class=\"Chart\"/></band></report>")
                .find("Неизвестный класс"),
            std::string::npos);
  EXPECT_NE(errorOf(QByteArray(kHead) +
                    "<band kind=\"title\"><object class=\"text\"><text>[1 +]</text></object></band></report>")
                .find("Ошибка в выражении"),
            std::string::npos);
  EXPECT_NE(errorOf("<report><page paper=\"A4\" left=\"500\" right=\"500\"/></report>").find("Поля"),
            std::string::npos);
  EXPECT_NE(errorOf(QByteArray(kHead) + "<band kind=\"groupHeader\"/></report>").find("условия"), std::string::npos);
  EXPECT_NE(errorOf(QByteArray(kHead) + "<band kind=\"title\"><object class=\"text\" size=\"3\"/></band></report>")
                .find("Неизвестный атрибут"),
            std::string::npos);
  const std::string withLine = errorOf("<report>\n<page paper=\"A4\"/>\n<band kind=\"title\" height=\"-5\"/></report>");
  EXPECT_NE(withLine.find("строка 3"), std::string::npos) << withLine;
}

TEST_F(TemplateFile, NumbersOutOfRangeAreRefusedWithTheFileAndTheAttribute) {
  auto object = [](const char* attributes) {
    return QByteArray(kHead) + "\n<band kind=\"title\" height=\"10\">\n<object class=\"rect\" name=\"box\" " +
           attributes + "/>\n</band></report>";
  };
  // A frame far beyond any int, found by fuzzing: refused, not converted.
  EXPECT_EQ(errorOf(object("frame=\"15222222222222222222222222222222222222222222222222222222222\"")),
            "Ошибка в шаблоне отчета \"broken.frf\", строка 3: Неверное значение frame "
            "\"15222222222222222222222222222222222222222222222222222222222\" у объекта \"box\": допустимо целое от 0 "
            "до 15");
  for (const char* bad : {"frame=\"16\"", "frame=\"-1\"", "frame=\"2.5\"", "x=\"1e7\"", "width=\"-2000000\"",
                          "frameWidth=\"1e300\"", "y=\"1e400\""}) {
    const std::string e = errorOf(object(bad));
    const std::string attribute = std::string(bad).substr(0, std::string(bad).find('='));
    EXPECT_NE(e.find("broken.frf"), std::string::npos) << bad << ": " << e;
    EXPECT_NE(e.find("Неверное значение " + attribute + " "), std::string::npos) << bad << ": " << e;
  }
  const std::string align =
      errorOf(QByteArray(kHead) + "<band kind=\"title\"><object class=\"text\" align=\"1e30\"/></band></report>");
  EXPECT_NE(align.find("Неверное значение align \"1e30\": допустимо целое от 0 до 2"), std::string::npos) << align;
  // Values inside the ranges still read, and expressions stay expressions.
  const Template t = Template::parse(object("frame=\"15\" x=\"-1000000\" width=\"FRAMEW\""), QStringLiteral("ok.frf"));
  const ReportObject* box = t.findObject("box");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->frameLines, FrameAll);
  EXPECT_EQ(box->x, -1000000);
  EXPECT_EQ(box->bindings.count("width"), 1u);

  // A prepared report holds the same attributes and is refused the same way.
  Report report;
  report.loadTemplate(test::testData("AllBands.frf"));
  RowsRecordSource rows({"NAME", "LENGTH", "WIDTH", "MANY", "MATNAME"});
  rows.addRow({Value::text("Деталь"), Value::number(600), Value::number(400), Value::number(2), Value::text("ДСП")});
  report.setDataSource(&rows);
  QByteArray xml = report.prepare().toXml();
  ASSERT_TRUE(xml.contains("frame=\"8\""));
  xml.replace("frame=\"8\"", "frame=\"1e58\"");
  try {
    PreparedReport::parse(xml, QStringLiteral("big.kpr"));
    ADD_FAILURE() << "a frame of 1e58 was read";
  } catch (const ReportError& e) {
    EXPECT_NE(std::string(e.what()).find("big.kpr"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("Неверное значение frame \"1e58\""), std::string::npos) << e.what();
  }
}

TEST_F(TemplateFile, PreparedReportRoundTripsAndRejectsDamage) {
  Report report;
  report.loadTemplate(test::testData("AllBands.frf"));
  RowsRecordSource rows({"NAME", "LENGTH", "WIDTH", "MANY", "MATNAME"});
  for (int i = 0; i < 60; ++i)
    rows.addRow({Value::text("Деталь " + std::to_string(i)), Value::number(600), Value::number(400), Value::number(2),
                 Value::text("ДСП")});
  report.setDataSource(&rows);
  PreparedReport prepared = report.prepare();
  ASSERT_GT(prepared.pageCount(), 1);

  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("report.kpr"));
  prepared.write(path);
  PreparedReport back = PreparedReport::read(path);
  EXPECT_EQ(back.toXml(), prepared.toXml());
  EXPECT_EQ(back.pageCount(), prepared.pageCount());
  EXPECT_EQ(back.find(QStringLiteral("деталь 59")).size(), 1u);

  QByteArray xml = prepared.toXml();
  // Cut short, the file is refused with its name; the old copy is not touched.
  EXPECT_THROW(PreparedReport::parse(xml.left(xml.size() / 2), QStringLiteral("cut.kpr")), ReportError);
  QByteArray badSize = xml;
  badSize.replace("width=\"756\"", "width=\"-1\"");
  EXPECT_THROW(PreparedReport::parse(badSize, QStringLiteral("size.kpr")), ReportError);
  EXPECT_THROW(PreparedReport::read(dir.filePath(QStringLiteral("none.kpr"))), ReportError);
  EXPECT_EQ(PreparedReport::read(path).toXml(), xml);
}

TEST_F(TemplateFile, FailedWriteLeavesTheOldFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("keep.frf"));
  Template t = Template::read(test::testData("Labels.frf"));
  t.write(path);
  const QByteArray before = Template::read(path).toXml();
  QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  t.title = QStringLiteral("changed");
  bool threw = false;
  try {
    t.write(path);
  } catch (const ReportError&) {
    threw = true;
  }
  QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  // Root may write anyway; then the write must simply be complete.
  if (threw)
    EXPECT_EQ(Template::read(path).toXml(), before);
  else
    EXPECT_EQ(Template::read(path).title, QStringLiteral("changed"));
}
