#include "platform/report/ui/PreviewWindow.h"

#include "platform/report/Export.h"
#include "platform/report/Render.h"
#include "platform/report/ReportError.h"
#include "platform/report/ui/ReportPrint.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace kroyna::report {

// The scrolled surface on which the pages are drawn.
class PageCanvas : public QWidget {
 public:
  explicit PageCanvas(PreviewModel& model, QWidget* parent) : QWidget(parent), model_(model) {}

  double dpi() const { return logicalDpiY() > 0 ? logicalDpiY() : 96; }

  void relayout() {
    resize(model_.canvasSize(dpi()).toSize() + QSize(1, 1));
    update();
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QPainter p(this);
    p.fillRect(e->rect(), QColor(0x80, 0x80, 0x80));
    const double d = dpi();
    const double s = model_.scale(d);
    for (int i = 0; i < model_.report().pageCount(); ++i) {
      const QRectF r = model_.pageRect(i, d);
      if (!r.intersects(e->rect())) continue;
      p.fillRect(r.translated(3, 3), QColor(0x50, 0x50, 0x50));
      p.fillRect(r, Qt::white);
      p.save();
      p.setClipRect(r);
      renderPage(p, model_.report().pages[static_cast<size_t>(i)], s, r.topLeft());
      p.restore();
    }
    if (auto hit = model_.currentHit()) {
      const QRectF h = model_.hitRect(d);
      p.fillRect(h, QColor(255, 220, 0, 90));
      p.setPen(QPen(QColor(230, 120, 0), 2));
      p.drawRect(h);
    }
  }

 private:
  PreviewModel& model_;
};

namespace {
constexpr double kPresetZooms[] = {0.5, 0.75, 1.0, 1.5, 2.0};
const char* const kPreparedFilter = "Подготовленный отчет (*.kpr)";
const char* const kPdfFilter = "Документ PDF (*.pdf)";
}  // namespace

PreviewWindow::PreviewWindow(PreparedReport report, PreviewExports exports, QWidget* parent)
    : QDialog(parent), model_(std::move(report)), exports_(exports) {
  setWindowTitle(model_.report().title.isEmpty() ? QStringLiteral("Предварительный просмотр") : model_.report().title);
  setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
  resize(900, 700);

  auto* bar = new QToolBar(this);
  bar->addAction(QStringLiteral("Открыть"), this, &PreviewWindow::onOpen);
  bar->addAction(QStringLiteral("Сохранить"), this, &PreviewWindow::onSave);
  bar->addAction(QStringLiteral("Печать"), this, &PreviewWindow::onPrint);
  bar->addSeparator();
  bar->addAction(QStringLiteral("−"), this,
                 [this] {
                   model_.zoomOut();
                   refresh();
                 })
      ->setToolTip(QStringLiteral("Уменьшить"));
  zoomBox_ = new QComboBox(bar);
  zoomBox_->setEditable(false);
  zoomBox_->addItem(QStringLiteral("По ширине"));
  zoomBox_->addItem(QStringLiteral("Страница целиком"));
  for (double z : kPresetZooms) zoomBox_->addItem(QStringLiteral("%1%").arg(qRound(z * 100)));
  bar->addWidget(zoomBox_);
  bar->addAction(QStringLiteral("+"), this,
                 [this] {
                   model_.zoomIn();
                   refresh();
                 })
      ->setToolTip(QStringLiteral("Увеличить"));
  bar->addSeparator();
  bar->addAction(QStringLiteral("◀"), this,
                 [this] { goToPage(model_.pageAt(scroll_->verticalScrollBar()->value() + 1, canvas_->dpi()) - 1); })
      ->setToolTip(QStringLiteral("Предыдущая страница"));
  pageLabel_ = new QLabel(bar);
  bar->addWidget(pageLabel_);
  bar->addAction(QStringLiteral("▶"), this,
                 [this] { goToPage(model_.pageAt(scroll_->verticalScrollBar()->value() + 1, canvas_->dpi()) + 1); })
      ->setToolTip(QStringLiteral("Следующая страница"));
  bar->addSeparator();
  findEdit_ = new QLineEdit(bar);
  findEdit_->setPlaceholderText(QStringLiteral("Найти текст"));
  findEdit_->setMaximumWidth(200);
  bar->addWidget(findEdit_);
  bar->addAction(QStringLiteral("Найти"), this, &PreviewWindow::onFind);
  connect(findEdit_, &QLineEdit::returnPressed, this, &PreviewWindow::onFind);
  bar->addSeparator();
  bar->addAction(QStringLiteral("Закрыть"), this, &QDialog::accept);

  scroll_ = new QScrollArea(this);
  scroll_->setBackgroundRole(QPalette::Dark);
  canvas_ = new PageCanvas(model_, scroll_);
  scroll_->setWidget(canvas_);
  scroll_->setWidgetResizable(false);
  connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { updatePageLabel(); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(scroll_, 1);

  connect(zoomBox_, &QComboBox::activated, this, &PreviewWindow::onZoomChosen);
  zoomBox_->setCurrentIndex(4);  // 100%
  refresh();
}

void PreviewWindow::refresh() {
  canvas_->relayout();
  const int percent = qRound(model_.zoom() * 100);
  zoomBox_->setToolTip(QStringLiteral("%1%").arg(percent));
  int idx = -1;
  for (size_t i = 0; i < std::size(kPresetZooms); ++i)
    if (qRound(kPresetZooms[i] * 100) == percent) idx = static_cast<int>(i) + 2;
  if (idx >= 0) zoomBox_->setCurrentIndex(idx);
  updatePageLabel();
}

void PreviewWindow::updatePageLabel() {
  const int n = model_.report().pageCount();
  const int cur = n ? model_.pageAt(scroll_->verticalScrollBar()->value() + 1, canvas_->dpi()) + 1 : 0;
  pageLabel_->setText(QStringLiteral(" Стр. %1 из %2 ").arg(cur).arg(n));
}

// The canvas is a pixel larger than its pages (see relayout()); the fitted
// zoom leaves that pixel room, so that no scroll bar appears for it.
void PreviewWindow::fitWidth() {
  model_.setZoom(model_.fitWidthZoom(scroll_->viewport()->width() - 1, canvas_->dpi()));
  refresh();
  zoomBox_->setCurrentIndex(0);
}

void PreviewWindow::fitPage() {
  model_.setZoom(model_.fitPageZoom(scroll_->viewport()->size() - QSize(1, 1), canvas_->dpi()));
  refresh();
  zoomBox_->setCurrentIndex(1);
}

void PreviewWindow::setZoom(double zoom) {
  model_.setZoom(zoom);
  refresh();
}

void PreviewWindow::onZoomChosen(int index) {
  if (index == 0)
    fitWidth();
  else if (index == 1)
    fitPage();
  else if (index - 2 < static_cast<int>(std::size(kPresetZooms)))
    setZoom(kPresetZooms[index - 2]);
}

void PreviewWindow::goToPage(int page) {
  if (model_.report().pageCount() == 0) return;
  page = std::clamp(page, 0, model_.report().pageCount() - 1);
  scroll_->verticalScrollBar()->setValue(
      static_cast<int>(model_.pageRect(page, canvas_->dpi()).top() - PreviewModel::kGap));
  updatePageLabel();
}

bool PreviewWindow::findNext(const QString& text) {
  if (!model_.findNext(text)) {
    canvas_->update();
    return false;
  }
  const QRectF r = model_.hitRect(canvas_->dpi());
  scroll_->ensureVisible(static_cast<int>(r.center().x()), static_cast<int>(r.center().y()),
                         static_cast<int>(r.width() / 2) + 20, static_cast<int>(r.height() / 2) + 40);
  canvas_->update();
  updatePageLabel();
  return true;
}

void PreviewWindow::onFind() {
  const QString text = findEdit_->text();
  if (text.isEmpty()) return;
  if (!findNext(text))
    QMessageBox::information(this, windowTitle(), QStringLiteral("Текст \"%1\" не найден.").arg(text));
}

QStringList PreviewWindow::saveFilters() const {
  QStringList f{QString::fromUtf8(kPreparedFilter), QString::fromUtf8(kPdfFilter)};
  if (exports_ & PreviewExport::Rtf) f << QStringLiteral("Документ RTF (*.rtf)");
  if (exports_ & PreviewExport::Text) f << QStringLiteral("Текстовый файл (*.txt)");
  if (exports_ & PreviewExport::Csv) f << QStringLiteral("Текст с разделителями \";\" (*.csv)");
  if (exports_ & PreviewExport::Html) f << QStringLiteral("Документ HTML (*.html *.htm)");
  return f;
}

void PreviewWindow::saveAs(const QString& path) {
  const QString ext = QFileInfo(path).suffix().toLower();
  const PreparedReport& r = model_.report();
  if (ext == QLatin1String("kpr"))
    r.write(path);
  else if (ext == QLatin1String("pdf"))
    writePdf(r, path);
  else if (ext == QLatin1String("rtf") && (exports_ & PreviewExport::Rtf))
    exportToFile(r, ExportFormat::Rtf, path);
  else if (ext == QLatin1String("txt") && (exports_ & PreviewExport::Text))
    exportToFile(r, ExportFormat::Text, path);
  else if (ext == QLatin1String("csv") && (exports_ & PreviewExport::Csv))
    exportToFile(r, ExportFormat::Csv, path);
  else if ((ext == QLatin1String("html") || ext == QLatin1String("htm")) && (exports_ & PreviewExport::Html))
    exportToFile(r, ExportFormat::Html, path);
  else
    throw ReportError("Сохранение в файлы \"." + ext.toStdString() + "\" не поддерживается.");
}

void PreviewWindow::openFile(const QString& path) {
  model_.setReport(PreparedReport::read(path));
  setWindowTitle(model_.report().title.isEmpty() ? QFileInfo(path).fileName() : model_.report().title);
  refresh();
  goToPage(0);
}

void PreviewWindow::onSave() {
  const QStringList filters = saveFilters();
  QString selected = filters.front();
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить отчет"), QString(),
                                              filters.join(QStringLiteral(";;")), &selected);
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) {
    // The extension of the chosen filter: "(*.pdf)" gives ".pdf".
    const int star = selected.indexOf(QLatin1String("*."));
    if (star >= 0)
      path += selected.mid(star + 1, selected.indexOf(QRegularExpression(QStringLiteral("[ )]")), star) - star - 1);
  }
  try {
    saveAs(path);
  } catch (const ReportError& e) {
    QMessageBox::critical(this, windowTitle(), QString::fromUtf8(e.what()));
  }
}

void PreviewWindow::onOpen() {
  const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Открыть отчет"), QString(),
                                                    QString::fromUtf8(kPreparedFilter));
  if (path.isEmpty()) return;
  try {
    openFile(path);
  } catch (const ReportError& e) {
    QMessageBox::critical(this, windowTitle(), QString::fromUtf8(e.what()));
  }
}

void PreviewWindow::onPrint() {
  try {
    printWithDialog(model_.report(), this);
  } catch (const ReportError& e) {
    QMessageBox::critical(this, windowTitle(), QString::fromUtf8(e.what()));
  }
}

}  // namespace kroyna::report
