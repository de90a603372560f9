#include "common/ui/DialogTitles.h"

#include "common/ui/PageParamsDialog.h"
#include "warehouse/ui/MinimumStockDialogs.h"

#include <QApplication>
#include <QFontMetrics>

#include <gtest/gtest.h>

namespace kroyna::common {
namespace {

// Small dialogs whose titles the frame cut ("Колич… истов", "Парам…аницы")
// open at least as wide as the title's text and the frame's buttons.
TEST(DialogTitles, SmallDialogsOpenWideEnoughForTheirTitles) {
  installDialogTitleFitting();
  warehouse::SheetQuantityDialog quantity(5);
  PageParamsDialog page(PageMargins{});
  for (QDialog* d : std::initializer_list<QDialog*>{&quantity, &page}) {
    d->show();
    QApplication::processEvents();
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_GE(d->width(), QFontMetrics(bold).horizontalAdvance(d->windowTitle()) + 60)
        << d->windowTitle().toStdString();
    d->hide();
  }
}

}  // namespace
}  // namespace kroyna::common
