#include "platform/dbase/FileOps.h"

#include "platform/dbase/DbfFile.h"
#include "platform/dbase/TableError.h"
#include "platform/file/ReadFile.h"
#include "platform/file/SafeFile.h"

#include <fcntl.h>
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

void syncFolder(const fs::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
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
  if (fs::exists(target, ec)) throw TableError(target, "Нельзя переместить файл на это место: такой файл уже есть");
  if (::rename(source.c_str(), target.c_str()) == 0) {
    syncFolder(target.has_parent_path() ? target.parent_path() : fs::path("."));
    return;
  }
  const int e = errno;
  if (e != EXDEV) throw TableError(source, "Не удалось переместить файл в " + target.string() + ": " + errnoText(e));
  detail::writeFileAtomically(target, readWholeFile(source));
  if (::unlink(source.c_str()) != 0)
    throw TableError(source,
                     "Файл скопирован в " + target.string() + ", но удалить его не удалось: " + errnoText(errno));
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

RebuildResult rebuildFromTemplate(const fs::path& table, const fs::path& templateFile, const fs::path& backup) {
  using Step = RebuildResult::Step;
  try {
    refuseIfOpen(table, "пересоздать");
    removeFile(backup);
    moveFile(table, backup);
  } catch (const TableError& e) {
    return {Step::Backup, e.what()};
  }
  Step step = Step::Template;
  try {
    createFromTemplate(templateFile.parent_path(), templateFile.filename().string(), table);
    step = Step::Rows;
    const DbfTable old = readDbfFile(backup);
    DbfTable fresh = readDbfFile(table);
    if (old.fields.size() > fresh.fields.size())
      throw TableError(table, "В шаблоне меньше столбцов (" + std::to_string(fresh.fields.size()) +
                                  "), чем в таблице (" + std::to_string(old.fields.size()) + ")");
    for (const auto& r : old.records) {
      if (r.deleted) continue;
      DbfRecord rec;
      for (std::size_t i = 0; i < fresh.fields.size(); ++i) {
        Value v = i < r.values.size() ? coerceForField(fresh.fields[i], r.values[i], table, true) : Value();
        if (v.isNull() && fresh.fields[i].type == FieldType::Character) v = Value("");
        rec.values.push_back(std::move(v));
      }
      fresh.records.push_back(std::move(rec));
    }
    fresh.lastUpdate = Date{};
    writeDbfFile(table, fresh);
  } catch (const TableError& e) {
    RebuildResult result{step, e.what()};
    try {
      copyOver(backup, table);
    } catch (const TableError& restore) {
      result.message += "; строки остались в файле " + backup.string() + ": " + restore.what();
    }
    return result;
  }
  try {
    removeFile(backup);
  } catch (const TableError&) {
    // The table is rebuilt; a backup that cannot be deleted is harmless.
  }
  return {};
}

}  // namespace kroyna::dbase
