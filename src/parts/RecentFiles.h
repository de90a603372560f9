#pragma once

#include <QString>
#include <QStringList>

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::parts {

// The recently opened parts databases (section `Files` of the settings,
// keys 1 ... n in menu order): at most five header paths, oldest first,
// never the same file twice.
class RecentFiles {
 public:
  static constexpr int kMaxEntries = 5;

  const QStringList& entries() const { return entries_; }
  // Adds a header path at the end unless the list holds it; drops the
  // oldest entry when there are more than five.
  void add(const QString& headerPath);
  void remove(const QString& headerPath);

  // Reads the values of section `Files` in section order (at most the
  // last five distinct ones).
  void load(const ini::IniFile& settings);
  // Erases the section and writes the entries under keys 1 ... n. Throws
  // ini::IniError when the file cannot be written.
  void save(ini::IniFile& settings) const;

 private:
  QStringList entries_;
};

}  // namespace kroyna::parts
