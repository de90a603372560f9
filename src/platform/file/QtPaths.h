#pragma once

// File names between Qt and the standard library: a QString path as the
// file system spells it, and back.

#include <QFile>
#include <QString>

#include <filesystem>

namespace kroyna::platform {

inline std::filesystem::path toPath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

inline QString toQString(const std::filesystem::path& path) { return QFile::decodeName(path.c_str()); }

}  // namespace kroyna::platform
