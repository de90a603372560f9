#include "parts/RecentFiles.h"

#include "parts/PartsDocument.h"
#include "platform/ini/IniFile.h"

namespace kroyna::parts {

void RecentFiles::add(const QString& headerPath) {
  if (headerPath.isEmpty()) return;
  for (const QString& e : entries_)
    if (PartsDocument::samePath(e, headerPath)) return;
  entries_.append(headerPath);
  while (entries_.size() > kMaxEntries) entries_.removeFirst();
}

void RecentFiles::remove(const QString& headerPath) {
  for (int i = static_cast<int>(entries_.size()) - 1; i >= 0; --i)
    if (PartsDocument::samePath(entries_[i], headerPath)) entries_.removeAt(i);
}

void RecentFiles::load(const ini::IniFile& settings) {
  entries_.clear();
  for (const auto& [key, value] : settings.readSectionValues("Files")) {
    (void)key;
    add(QString::fromStdString(value).trimmed());
  }
}

void RecentFiles::save(ini::IniFile& settings) const {
  settings.batch([&] {
    settings.eraseSection("Files");
    for (int i = 0; i < entries_.size(); ++i)
      settings.writeString("Files", std::to_string(i + 1), entries_[i].toStdString());
  });
}

}  // namespace kroyna::parts
