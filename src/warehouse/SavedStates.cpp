#include "warehouse/SavedStates.h"

#include "platform/dbase/FileOps.h"
#include "platform/dbase/Statements.h"
#include "platform/file/ReadFile.h"
#include "platform/file/SafeFile.h"
#include "platform/ini/IniFile.h"
#include "warehouse/StockModule.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <tuple>

namespace kroyna::warehouse {

namespace fs = std::filesystem;

namespace {

constexpr const char* kRoot = "Root";
constexpr const char* kSections = "Sections";

std::string trimmed(std::string_view s) {
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  const auto e = s.find_last_not_of(" \t");
  return std::string(s.substr(b, e - b + 1));
}

// A state number as listed: decimal digits, at least 1.
std::optional<int> stateNumber(std::string_view item) {
  const std::string s = trimmed(item);
  if (s.empty() || s.size() > 9) return std::nullopt;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (v < 1) return std::nullopt;
  return v;
}

std::vector<int> listedNumbers(const ini::IniFile& index) {
  std::vector<int> out;
  std::set<int> seen;
  for (const std::string& item : ini::splitCommaList(index.readString(kRoot, kSections)))
    if (const auto n = stateNumber(item); n && seen.insert(*n).second) out.push_back(*n);
  return out;
}

std::string joinNumbers(const std::vector<int>& numbers) {
  std::vector<std::string> items;
  for (int n : numbers) items.push_back(std::to_string(n));
  return ini::joinCommaList(items);
}

// A description is one line of the index file.
std::string oneLine(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return text;
}

std::string readWholeFile(const fs::path& path) {
  platform::ReadFailure why;
  std::optional<std::string> bytes = platform::readWholeFile(path, why);
  if (bytes) return std::move(*bytes);
  if (why.kind == platform::ReadFailure::Kind::CannotRead) throw platform::FileError(path, "не удалось прочитать файл");
  throw platform::FileError(path, "не удалось открыть файл: " + why.reason());
}

void removeQuietly(const fs::path& path) {
  std::error_code ec;
  fs::remove(path, ec);
}

// Seconds since year 0 of "dd.mm.yyyy" and "hh:mm[:ss]"; nothing when the
// date cannot be read. A time that cannot be read counts as midnight.
std::optional<long long> momentOf(const SavedState& s) {
  const auto d = dbase::Date::parse(trimmed(s.date));
  if (!d) return std::nullopt;
  long long seconds = 0;
  int parts[3] = {0, 0, 0};
  int count = 0;
  bool ok = true;
  std::string t = trimmed(s.time);
  std::size_t i = 0;
  while (ok && i < t.size() && count < 3) {
    std::size_t j = i;
    int v = 0;
    while (j < t.size() && t[j] >= '0' && t[j] <= '9' && j - i < 2) v = v * 10 + (t[j++] - '0');
    if (j == i) ok = false;
    parts[count++] = v;
    i = j;
    if (i < t.size()) {
      if (t[i] != ':') ok = false;
      ++i;
    }
  }
  if (ok && count >= 2 && parts[0] < 24 && parts[1] < 60 && parts[2] < 60)
    seconds = parts[0] * 3600LL + parts[1] * 60LL + parts[2];
  return ((static_cast<long long>(d->year) * 12 + d->month) * 31 + d->day) * 86400LL + seconds;
}

// ---- restore ----

struct FileBackup {
  fs::path path;
  bool existed = false;
  std::string bytes;
};

FileBackup backupOf(const fs::path& path) {
  FileBackup b{path, dbase::fileExists(path), {}};
  if (b.existed) b.bytes = readWholeFile(path);
  return b;
}

void putBack(const FileBackup& b) {
  if (b.existed)
    platform::writeFileAtomically(b.path, b.bytes);
  else
    dbase::removeFile(b.path);
}

// Refuses a file that is not a stock table of the kind: restoring it would
// replace the stock with something the warehouse cannot read.
void checkStockCopy(const fs::path& copy, StockKind kind) {
  if (!dbase::fileExists(copy)) throw dbase::TableError(copy, "нет файла сохраненного состояния");
  const dbase::RowSource src(copy);
  std::vector<const char*> fields = {"LENGTH", "WIDTH", "MANY", "CODE"};
  if (kind == StockKind::Scraps) {
    fields.push_back("NAME");
    fields.push_back("DATE");
  }
  for (const char* f : fields)
    if (dbase::findField(src.fields(), f) < 0)
      throw dbase::TableError(copy, std::string("в сохраненной таблице нет поля ") + f);
}

void closeView(dbase::Table& view) {
  if (!view.isOpen()) return;
  if (view.state() != dbase::Table::State::Browse) view.cancel();
  view.close();
}

}  // namespace

void sortByDate(std::vector<SavedState>& states) {
  std::stable_sort(states.begin(), states.end(), [](const SavedState& a, const SavedState& b) {
    const auto ma = momentOf(a), mb = momentOf(b);
    if (ma && mb) return *ma < *mb;
    return ma.has_value() && !mb.has_value();
  });
}

// ---- SavedStatesStore ----

SavedStatesStore::SavedStatesStore(fs::path folder) : folder_(std::move(folder)) {}

fs::path SavedStatesStore::indexFile() const { return folder_ / "WHSave.ini"; }
fs::path SavedStatesStore::sheetsCopy(int number) const { return folder_ / (std::to_string(number) + ".wh"); }
fs::path SavedStatesStore::scrapsCopy(int number) const { return folder_ / (std::to_string(number) + "_.wh"); }

std::vector<SavedState> SavedStatesStore::states() const {
  const ini::IniFile index(indexFile());
  std::vector<SavedState> out;
  for (int n : listedNumbers(index)) {
    const std::string section = std::to_string(n);
    out.push_back(
        {n, index.readString(section, "Date"), index.readString(section, "Time"), index.readString(section, "Remark")});
  }
  return out;
}

std::optional<SavedState> SavedStatesStore::state(int number) const {
  for (SavedState& s : states())
    if (s.number == number) return s;
  return std::nullopt;
}

int SavedStatesStore::nextNumber() const {
  const ini::IniFile index(indexFile());
  const std::vector<int> used = listedNumbers(index);
  int n = 1;
  while (std::find(used.begin(), used.end(), n) != used.end()) ++n;
  return n;
}

int SavedStatesStore::save(const fs::path& sheets, const fs::path& scraps, const std::string& date,
                           const std::string& time, const std::string& remark) {
  ini::IniFile index(indexFile());
  std::vector<int> numbers = listedNumbers(index);
  int n = 1;
  while (std::find(numbers.begin(), numbers.end(), n) != numbers.end()) ++n;

  std::error_code ec;
  fs::create_directories(folder_, ec);
  if (ec) throw platform::FileError(folder_, "не удалось создать папку: " + ec.message());

  // Both copies are written in full before either takes its name, so a
  // full disk or an unreadable table leaves no half state behind.
  platform::SafeFileWriter sheetsWriter(sheetsCopy(n));
  sheetsWriter.write(readWholeFile(sheets));
  platform::SafeFileWriter scrapsWriter(scrapsCopy(n));
  scrapsWriter.write(readWholeFile(scraps));
  sheetsWriter.commit();
  try {
    scrapsWriter.commit();
  } catch (...) {
    removeQuietly(sheetsCopy(n));
    throw;
  }

  numbers.push_back(n);
  const std::string section = std::to_string(n);
  try {
    index.batch([&] {
      index.writeString(kRoot, kSections, joinNumbers(numbers));
      index.eraseSection(section);
      index.writeString(section, "Date", date);
      index.writeString(section, "Time", time);
      index.writeString(section, "Remark", oneLine(remark));
    });
  } catch (...) {
    // Copies of no listed state: not left to be mistaken for one.
    removeQuietly(sheetsCopy(n));
    removeQuietly(scrapsCopy(n));
    throw;
  }
  return n;
}

void SavedStatesStore::setRemark(int number, const std::string& remark) {
  ini::IniFile index(indexFile());
  index.writeString(std::to_string(number), "Remark", oneLine(remark));
}

void SavedStatesStore::remove(int number) {
  ini::IniFile index(indexFile());
  std::vector<int> numbers = listedNumbers(index);
  std::erase(numbers, number);
  index.batch([&] {
    index.writeString(kRoot, kSections, joinNumbers(numbers));
    index.eraseSection(std::to_string(number));
  });
  for (const fs::path& f : {sheetsCopy(number), scrapsCopy(number)}) {
    try {
      dbase::removeFile(f);
    } catch (const std::exception&) {
      // Unlisted, the file is no state; the next save of this number
      // overwrites it.
    }
  }
}

// ---- restore ----

void restoreStockTables(StockModule& module, const fs::path& sheetsCopy, const fs::path& scrapsCopy) {
  const std::pair<StockKind, fs::path> tables[] = {{StockKind::Sheets, sheetsCopy}, {StockKind::Scraps, scrapsCopy}};
  // Everything that can be checked is checked before the stock changes.
  std::vector<FileBackup> before;
  try {
    for (const auto& [kind, copy] : tables) checkStockCopy(copy, kind);
    for (const auto& [kind, copy] : tables) {
      before.push_back(backupOf(module.storedTable(kind)));
      before.push_back(backupOf(module.workingCopy(kind)));
    }
  } catch (const std::exception& e) {
    throw RestoreError(e.what(), true);
  }

  closeView(module.tblSheets());
  closeView(module.tblSheets2());
  closeView(module.tblScraps());

  std::vector<const FileBackup*> replaced;
  std::size_t b = 0;
  for (const auto& [kind, copy] : tables) {
    try {
      for (const fs::path& target : {module.storedTable(kind), module.workingCopy(kind)}) {
        const FileBackup* old = &before[b++];
        // A copy that fails leaves its target as it was (it is written to
        // a new file and renamed over the target only when complete).
        dbase::copyOver(copy, target);
        replaced.push_back(old);
      }
    } catch (const std::exception& e) {
      std::string what = e.what();
      bool rolledBack = true;
      for (auto it = replaced.rbegin(); it != replaced.rend(); ++it) {
        try {
          putBack(**it);
        } catch (const std::exception& back) {
          rolledBack = false;
          what += "\r";
          what += back.what();
        }
      }
      throw RestoreError(what, rolledBack);
    }
  }
}

}  // namespace kroyna::warehouse
