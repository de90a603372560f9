// Numbers far outside any page in templates, prepared reports and
// expressions: read without undefined conversions, as the nearest value
// that means something.

#include "platform/report/PreparedReport.h"
#include "platform/report/Report.h"
#include "platform/report/Template.h"

#include <gtest/gtest.h>

using namespace kroyna::report;

namespace {

TEST(OutOfRangeNumbers, FrameAndAlignmentOfAnyMagnitudeAreRead) {
  const Template t = Template::parse(
      "<report><band kind=\"title\" height=\"20\">"
      "<object class=\"text\" name=\"A\" x=\"0\" y=\"0\" width=\"10\" height=\"10\" frame=\"1.5e25\" align=\"-1e300\"/>"
      "<object class=\"text\" name=\"B\" x=\"0\" y=\"0\" width=\"10\" height=\"10\" frame=\"7\" align=\"9e99\"/>"
      "</band></report>",
      QStringLiteral("huge.frf"));
  const auto* a = dynamic_cast<const TextObject*>(t.findObject("A"));
  const auto* b = dynamic_cast<const TextObject*>(t.findObject("B"));
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->align, HAlign::Left);
  EXPECT_EQ(b->align, HAlign::Center);
  EXPECT_EQ(b->frameLines, 7);

  // An alignment an expression computes.
  Report r;
  r.setTemplate(
      Template::parse("<report><band kind=\"title\" height=\"20\">"
                      "<object class=\"text\" name=\"C\" x=\"0\" y=\"0\" width=\"10\" height=\"10\" "
                      "align=\"BIG\" frame=\"BIG * BIG\"/></band></report>",
                      QStringLiteral("expr.frf")));
  r.setVariable("BIG", Value::number(1e200));
  const PreparedReport p = r.prepare();
  ASSERT_EQ(p.pageCount(), 1);
  const auto* c = dynamic_cast<const TextObject*>(p.pages[0].objects.at(0).get());
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->align, HAlign::Center);
  EXPECT_EQ(c->frameLines, 0);  // not a finite number
}

}  // namespace
