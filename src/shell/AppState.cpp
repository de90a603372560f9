#include "shell/AppState.h"

namespace kroyna::shell {
namespace {
bool g_busy = false;
}

bool isBusy() { return g_busy; }
void setBusy(bool busy) { g_busy = busy; }

}  // namespace kroyna::shell
