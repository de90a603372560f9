#include "common/AppContext.h"

#include "common/Settings.h"

namespace kroyna::common {
namespace {
AppContext* g_current = nullptr;
}

AppContext::AppContext(const DataRoot& root, Settings& settings, QObject* parent)
    : QObject(parent), root_(root), settings_(settings) {
  g_current = this;
}

AppContext::~AppContext() {
  if (g_current == this) g_current = nullptr;
}

AppContext* AppContext::current() { return g_current; }

void AppContext::applyChangedDefaults() {
  settings_.reread();
  emit defaultsChanged();
}

}  // namespace kroyna::common
