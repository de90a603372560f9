#pragma once

namespace kroyna::common {

// The busy flag: set while a cutting run is in progress. While it is set
// the main window and the maps windows refuse to close.
bool isBusy();
void setBusy(bool busy);

// Sets the busy flag for a scope and clears it when the scope ends, also
// when the run ends by an exception.
class BusyScope {
 public:
  BusyScope() { setBusy(true); }
  ~BusyScope() { setBusy(false); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
};

}  // namespace kroyna::common
