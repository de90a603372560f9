#pragma once

#include <QWidget>

namespace kroyna::common {

// "Пожалуйста подождите ...": a borderless window that stays on top,
// centred on the screen, with a running animation. Shown around long
// operations (opening map files, models import and export, writing
// minimum stock quantities).
class WaitWindow : public QWidget {
  Q_OBJECT
 public:
  explicit WaitWindow(QWidget* parent = nullptr);

  // The one wait window of the program, created at start-up.
  static WaitWindow& instance();

  // Shows the window centred and lets it paint before the long operation
  // blocks the event loop.
  void showCentered();
};

// Shows the wait window for a scope, also when the operation throws.
class WaitScope {
 public:
  WaitScope();
  ~WaitScope();
  WaitScope(const WaitScope&) = delete;
  WaitScope& operator=(const WaitScope&) = delete;
};

}  // namespace kroyna::common
