#pragma once

// The offscreen toolkit that --pdf and --labels draw with: made once, the
// first time one of them needs it, with the toolkit's notes (a missing
// runtime folder, window hints of the offscreen platform) kept off standard
// error and its errors written there on one line each.

#include <memory>

class QGuiApplication;

namespace kroyna::cut {

class OffscreenGui {
 public:
  OffscreenGui();
  ~OffscreenGui();
  OffscreenGui(const OffscreenGui&) = delete;
  OffscreenGui& operator=(const OffscreenGui&) = delete;

 private:
  int argc_ = 1;
  char name_[11] = "kroyna-cut";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QGuiApplication> app_;
};

}  // namespace kroyna::cut
