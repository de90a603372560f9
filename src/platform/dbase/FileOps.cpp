#include "platform/dbase/FileOps.h"

#include "platform/dbase/DbfFile.h"
#include "platform/dbase/TableError.h"
#include "platform/file/ReadFile.h"
#include "platform/file/SafeFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <string>
#include <system_error>

namespace kroyna::dbase {
namespace fs = std::filesystem;

namespace {

std::mutex& registryMutex() {
  static std::mutex m;
  return m;
}

std::map<fs::path, int>& registry() {
  static std::map<fs::path, int> r;
  return r;
}

// The system's reason for a failed call, as the C library words it.
std::string errnoText(int e) { return std::generic_category().message(e); }

// `action` completes "Нельзя ... таблицу": what the caller was about to do.
void refuseIfOpen(const fs::path& path, const std::string& action) {
  if (isTableOpen(path)) throw TableError(path, "Нельзя " + action + " таблицу: она открыта в другом окне");
}

std::string readWholeFile(const fs::path& path) {
  platform::ReadFailure why;
  std::optional<std::string> bytes = platform::readWholeFile(path, why);
  if (bytes) return std::move(*bytes);
  using Kind = platform::ReadFailure::Kind;
  if (why.kind == Kind::NotFound) throw TableError(path, "Файл не найден");
  if (why.kind == Kind::CannotRead) throw TableError(path, "Не удалось прочитать файл: " + why.reason());
  throw TableError(path, "Не удалось открыть файл: " + why.reason());
}

}  // namespace

namespace detail {

fs::path registryKey(const fs::path& path) {
  std::error_code ec;
  fs::path key = fs::weakly_canonical(fs::absolute(path, ec), ec);
  if (ec) key = fs::absolute(path).lexically_normal();
  return key;
}

void registerOpen(const fs::path& key) {
  std::lock_guard lock(registryMutex());
  ++registry()[key];
}

void unregisterOpen(const fs::path& key) {
  std::lock_guard lock(registryMutex());
  auto it = registry().find(key);
  if (it != registry().end() && --it->second <= 0) registry().erase(it);
}

void writeFileAtomically(const fs::path& target, std::string_view bytes) {
  try {
    platform::writeFileAtomically(target, bytes);
  } catch (const platform::FileError& e) {
    throw TableError(target, "Не удалось записать файл: " + e.reason());
  }
}

}  // namespace detail

bool isTableOpen(const fs::path& path) {
  const fs::path key = detail::registryKey(path);
  std::lock_guard lock(registryMutex());
  return registry().count(key) > 0;
}

void copyOver(const fs::path& source, const fs::path& target) {
  refuseIfOpen(target, "заменить");
  if (detail::registryKey(source) == detail::registryKey(target)) return;  // copying a file onto itself
  detail::writeFileAtomically(target, readWholeFile(source));
}

void moveFile(const fs::path& source, const fs::path& target) {
  refuseIfOpen(source, "переместить");
  refuseIfOpen(target, "заменить");
  std::error_code ec;
  if (!fs::exists(source, ec)) throw TableError(source, "Не удалось переместить файл: он не найден");
  // One step that never replaces a file, not even one that appears just
  // before it.
  bool moved = false;
  try {
    moved = platform::renameIfAbsent(source, target);
  } catch (const platform::FileError& e) {
    throw TableError(e.path(), "Не удалось переместить файл в " + target.string() + ": " + e.reason());
  }
  if (!moved) throw TableError(target, "Нельзя переместить файл на это место: такой файл уже есть");
}

bool removeFile(const fs::path& path) {
  refuseIfOpen(path, "удалить");
  if (::unlink(path.c_str()) == 0) return true;
  const int e = errno;
  if (e == ENOENT) return false;
  throw TableError(path, "Не удалось удалить файл: " + errnoText(e));
}

bool fileExists(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

void createFromTemplate(const fs::path& patternFolder, std::string_view templateName, const fs::path& target) {
  const fs::path pattern = patternFolder / fs::path(std::string(templateName));
  if (!fileExists(pattern)) throw TableError(pattern, "Таблица-шаблон не найдена");
  refuseIfOpen(target, "заменить");
  const std::string bytes = readWholeFile(pattern);
  const DbfTable check = parseDbf(bytes, pattern);  // a damaged template is reported, not copied
  if (!check.readOnlyReason.empty())
    throw TableError(pattern, "Таблицу-шаблон нельзя использовать: " + check.readOnlyReason);
  detail::writeFileAtomically(target, bytes);
}

}  // namespace kroyna::dbase
