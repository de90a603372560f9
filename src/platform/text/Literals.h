#pragma once

// Russian text in the sources is UTF-8: u("Отмена") is that text as a
// QString.

#include <QString>

namespace kroyna::text {

inline QString u(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace kroyna::text
