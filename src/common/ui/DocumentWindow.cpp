#include "common/ui/DocumentWindow.h"

#include "common/Messages.h"
#include "common/ui/HeaderWidths.h"
#include "common/ui/WindowPlacement.h"
#include "platform/ini/IniFile.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

namespace kroyna::common {

namespace {

// The document windows in the order they were made.
QList<DocumentWindow*>& documentWindows() {
  static QList<DocumentWindow*> windows;
  return windows;
}

}  // namespace

DocumentWindow::DocumentWindow(const WindowLayout& layout, ini::IniFile& settings, ToolBarStyle toolBar,
                               QWidget* parent)
    : QWidget(parent), settings_(settings), layout_(layout) {
  column_ = new QVBoxLayout(this);
  column_->setContentsMargins(0, 0, 0, 0);
  column_->setSpacing(0);
  if (toolBar != ToolBarStyle::None) {
    toolBar_ = new QToolBar(this);
    if (toolBar == ToolBarStyle::TextOnly) {
      toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    } else {
      toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
      toolBar_->setIconSize(QSize(16, 16));
    }
    column_->addWidget(toolBar_);
  }
  splitter_ = new QSplitter(Qt::Horizontal, this);
  row_ = new QHBoxLayout;
  row_->setContentsMargins(0, 0, 0, 0);
  row_->addWidget(splitter_, 1);
  column_->addLayout(row_, 1);
  documentWindows().append(this);
}

DocumentWindow::~DocumentWindow() {
  documentWindows().removeOne(this);
  retitleAll();
}

QMdiSubWindow* DocumentWindow::frame() const { return qobject_cast<QMdiSubWindow*>(parentWidget()); }

// ---- The skeleton ----

QListWidget* DocumentWindow::addSideBar(const QString& title, SideBarTitle kind, int spacing) {
  auto* box = new QWidget(splitter_);
  auto* v = new QVBoxLayout(box);
  v->setContentsMargins(0, 0, 0, 0);
  if (spacing >= 0) v->setSpacing(spacing);
  if (kind == SideBarTitle::Button) {
    sideBarButton_ = new QPushButton(title, box);
    v->addWidget(sideBarButton_);
  } else {
    auto* caption = new QLabel(title, box);
    caption->setAlignment(Qt::AlignCenter);
    caption->setFrameStyle(QFrame::Panel | QFrame::Raised);
    caption->setMinimumHeight(22);
    v->addWidget(caption);
  }
  sideBar_ = new QListWidget(box);
  v->addWidget(sideBar_, 1);
  splitter_->addWidget(box);
  return sideBar_;
}

int DocumentWindow::fittingSideBarWidth() const {
  return fittingListWidth(*sideBar_, sideBarButton_ ? sideBarButton_->sizeHint().width() : 0, 300);
}

void DocumentWindow::addMainPane(QWidget* pane) {
  splitter_->addWidget(pane);
  splitter_->setStretchFactor(splitter_->indexOf(pane), 1);
}

void DocumentWindow::addBesideSplitter(QWidget* widget) { row_->addWidget(widget); }

void DocumentWindow::addBelowSplitter(QWidget* widget) { column_->addWidget(widget); }

// ---- Layout ----

void DocumentWindow::restoreLayoutOnce() {
  if (layoutRestored_) return;
  layoutRestored_ = true;
  restoreLayout();
}

void DocumentWindow::placeFrame(const QSize& minimum, const std::optional<QRect>& proposed) {
  if (QMdiSubWindow* f = frame()) placeDocumentWindow(*f, layout_.placement(settings_), minimum, proposed);
}

void DocumentWindow::saveFramePlacement() {
  if (QMdiSubWindow* f = frame()) layout_.setPlacement(settings_, f->geometry(), f->isMaximized(), f->isMinimized());
}

// ---- Caption ----

QString DocumentWindow::numberedCaption(const QString& caption, int number) {
  static const QString kUntitled = QStringLiteral("<без названия>");
  if (caption.endsWith(kUntitled)) return caption.chopped(1) + QStringLiteral(" %1>").arg(number);
  return caption + QStringLiteral(" (%1)").arg(number);
}

void DocumentWindow::setDocumentCaption(const QString& caption, bool markChanges) {
  caption_ = caption;
  markChanges_ = markChanges;
  retitleAll();
}

void DocumentWindow::retitleAll() {
  // Counted per main window: the same caption in two of them is no clash.
  QHash<QWidget*, QHash<QString, int>> seen;
  for (DocumentWindow* w : documentWindows()) {
    if (w->caption_.isEmpty() || w->closing_) continue;
    QWidget* frame = w->frame();
    QWidget* area = frame ? frame->parentWidget() : w;
    const int n = ++seen[area][w->caption_];
    QString title = n == 1 ? w->caption_ : numberedCaption(w->caption_, n);
    if (w->markChanges_) title += QStringLiteral("[*]");
    if (w->windowTitle() != title) w->setWindowTitle(title);
  }
}

// ---- Showing and closing ----

void DocumentWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  closing_ = false;
  // In its frame now: numbered among the windows of its main window.
  retitleAll();
  if (shownOnce_) return;
  shownOnce_ = true;
  firstShown();
}

bool DocumentWindow::askToSave(const QString& question, const std::function<bool()>& save) {
  const MsgResult answer = showMessage(question, MsgIcon::Warning, MsgButtons::YesNoCancel, this);
  if (answer == MsgResult::Cancel) return false;
  return answer != MsgResult::Yes || save();
}

void DocumentWindow::closeEvent(QCloseEvent* event) {
  // A close already agreed to (the document area closes the window again)
  // asks nothing more.
  if (closing_) {
    event->accept();
    return;
  }
  if (!mayClose() || !maybeSave()) {
    event->ignore();
    return;
  }
  if (minimizesOnClose()) {
    if (QMdiSubWindow* f = frame()) f->showMinimized();
    event->ignore();
    return;
  }
  closing_ = true;
  saveLayout();
  closeDocument();
  event->accept();
  retitleAll();
}

}  // namespace kroyna::common
