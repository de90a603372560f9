#pragma once

#include "platform/report/PreviewModel.h"

#include <QDialog>
#include <QFlags>

class QComboBox;
class QLabel;
class QLineEdit;
class QScrollArea;

namespace kroyna::report {

// Which exports the preview's save command offers besides the prepared
// report and PDF; a report offers those its caller asks for.
enum class PreviewExport { None = 0, Rtf = 1, Text = 2, Csv = 4, Html = 8, All = 15 };
Q_DECLARE_FLAGS(PreviewExports, PreviewExport)

class PageCanvas;

// The preview of a prepared report: zoom, pages, find, open and save of a
// prepared report, save as PDF and the exports, print, close. Show it
// with exec() (modal) or show().
class PreviewWindow : public QDialog {
  Q_OBJECT
 public:
  PreviewWindow(PreparedReport report, PreviewExports exports, QWidget* parent = nullptr);

  PreviewModel& model() { return model_; }
  // Zoom presets of the zoom box: fit width, whole page, or a factor.
  void fitWidth();
  void fitPage();
  void setZoom(double zoom);
  // Finds the next occurrence and scrolls to it; false when there is none.
  bool findNext(const QString& text);
  void goToPage(int page);  // 0-based
  // Saves by the file's extension (.kpr prepared report, .pdf, and the
  // exports offered); ReportError on failure or an extension not offered.
  void saveAs(const QString& path);
  void openFile(const QString& path);

  // File name filters of the save dialog, by the exports offered.
  QStringList saveFilters() const;

 private:
  void refresh();
  void updatePageLabel();
  void onSave();
  void onOpen();
  void onPrint();
  void onFind();
  void onZoomChosen(int index);

  PreviewModel model_;
  PreviewExports exports_;
  QScrollArea* scroll_ = nullptr;
  PageCanvas* canvas_ = nullptr;
  QComboBox* zoomBox_ = nullptr;
  QLineEdit* findEdit_ = nullptr;
  QLabel* pageLabel_ = nullptr;
};

}  // namespace kroyna::report

Q_DECLARE_OPERATORS_FOR_FLAGS(kroyna::report::PreviewExports)
