#include "common/AppState.h"

namespace kroyna::common {
namespace {
bool g_busy = false;
}

bool isBusy() { return g_busy; }
void setBusy(bool busy) { g_busy = busy; }

}  // namespace kroyna::common
