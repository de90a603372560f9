#pragma once

// What the maps, parts, models and warehouse windows share: a toolbar at
// the top, a splitter below it with a side bar on its left, the layout
// kept in the window's section of the settings file, the caption with the
// mark of unsaved changes, and the close question. Each window builds its
// panes into the skeleton and answers the hooks:
//   restoreLayout / saveLayout  its layout, restored when first shown
//                               (firstShown) and saved when it closes;
//   mayClose                    refuses a close without asking (a run is
//                               busy);
//   maybeSave                   the close question;
//   closeDocument               lets go of the document once closing;
//   minimizesOnClose            closing only minimises the window.

#include "common/WindowLayout.h"

#include <QWidget>

#include <functional>
#include <optional>

class QHBoxLayout;
class QListWidget;
class QMdiSubWindow;
class QPushButton;
class QSplitter;
class QToolBar;
class QVBoxLayout;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::common {

class DocumentWindow : public QWidget {
  Q_OBJECT
 public:
  // "<без названия>" gives "<без названия 2>" as the second of that
  // caption, any other caption "caption (2)".
  static QString numberedCaption(const QString& caption, int number);

  enum class ToolBarStyle {
    None,            // the window has no toolbar of its own
    TextOnly,        // captions only
    TextBesideIcon,  // captions beside 16-pixel icons
  };

  // The toolbar above the splitter (none with ToolBarStyle::None).
  QToolBar* toolBar() const { return toolBar_; }
  QSplitter* splitter() const { return splitter_; }

  // The window's layout from the settings file, restored once
  // (restoreLayoutOnce), by default when the window is first shown.
  virtual void restoreLayout() {}
  // Writes the layout; the base calls it when the window closes.
  virtual void saveLayout() {}
  bool layoutRestored() const { return layoutRestored_; }

 protected:
  // `layout` is where the window's layout is kept in `settings`.
  DocumentWindow(const WindowLayout& layout, ini::IniFile& settings, ToolBarStyle toolBar, QWidget* parent);
  ~DocumentWindow() override;

  const WindowLayout& windowLayout() const { return layout_; }
  // The frame of the window in the main window's document area, if any.
  QMdiSubWindow* frame() const;

  // ---- The skeleton ----
  enum class SideBarTitle {
    Caption,  // a raised caption over the list
    Button,   // a button over the list (the material search)
  };
  // The side bar: the first pane of the splitter, `title` over a list, with
  // `spacing` pixels between them (-1: the style's).
  QListWidget* addSideBar(const QString& title, SideBarTitle kind, int spacing);
  QListWidget* sideBar() const { return sideBar_; }
  // The side bar's title when it is a button.
  QPushButton* sideBarButton() const { return sideBarButton_; }
  // The width the side bar needs to show its longest entry whole: at least
  // its title's, at most 300 pixels.
  int fittingSideBarWidth() const;
  // The pane of the splitter that takes what room there is.
  void addMainPane(QWidget* pane);
  // A widget right of the splitter (a progress bar) or below it (a status
  // bar).
  void addBesideSplitter(QWidget* widget);
  void addBelowSplitter(QWidget* widget);

  // ---- Layout ----
  void restoreLayoutOnce();
  // What the window does when it is first shown: restores its layout.
  virtual void firstShown() { restoreLayoutOnce(); }
  // The frame placed as kept in the window's layout (see
  // placeDocumentWindow), and the placement kept.
  void placeFrame(const QSize& minimum, const std::optional<QRect>& proposed = std::nullopt);
  void saveFramePlacement();

  // ---- Caption ----
  // `caption` with Qt's mark of unsaved changes, shown while the window is
  // modified (setWindowModified) when `markChanges`. Windows of one main
  // window with the same caption are told apart by a number, in their
  // captions and so in the "Окно" list: "<без названия 2>", "Вариант
  // раскроя 1 (2)"; the first opened keeps the caption as it is.
  void setDocumentCaption(const QString& caption, bool markChanges = true);

  // ---- Closing ----
  virtual bool mayClose() { return true; }
  virtual bool maybeSave() { return true; }
  virtual void closeDocument() {}
  virtual bool minimizesOnClose() const { return false; }
  // The usual close question: "Yes" closes only when `save` succeeds, "No"
  // closes without saving, "Cancel" keeps the window.
  bool askToSave(const QString& question, const std::function<bool()>& save);

  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

  ini::IniFile& settings_;

 private:
  static void retitleAll();

  const WindowLayout layout_;
  QVBoxLayout* column_ = nullptr;
  QHBoxLayout* row_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QListWidget* sideBar_ = nullptr;
  QPushButton* sideBarButton_ = nullptr;
  QString caption_;
  bool markChanges_ = true;
  bool shownOnce_ = false;
  bool layoutRestored_ = false;
  bool closing_ = false;
};

}  // namespace kroyna::common
