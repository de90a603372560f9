#include "platform/file/SafeFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>

namespace kroyna::platform {

namespace fs = std::filesystem;

namespace {

// The longest name a folder holds, in bytes, on every file system the
// program meets.
constexpr std::size_t kNameMax = NAME_MAX;
constexpr std::string_view kNewSuffix = ".kroyna-new";

std::atomic<testhooks::FdCall> closeCall{nullptr};
std::atomic<testhooks::FdCall> folderSyncCall{nullptr};

int closeFd(int fd) {
  const testhooks::FdCall call = closeCall.load();
  return call ? call(fd) : ::close(fd);
}

std::string describe(const fs::path& path, const std::string& reason) {
  return "Ошибка записи файла \"" + path.string() + "\": " + reason;
}

std::string stepText(const std::string& step, int err) {
  std::string text = step;
  if (err != 0) text += ": " + std::string(std::strerror(err));
  return text;
}

fs::path folderOf(const fs::path& p) { return p.has_parent_path() ? p.parent_path() : fs::path("."); }

// Syncs the folder's entries to disk. Returns 0, or the system's error; a
// folder that cannot be opened for reading, or a file system that cannot
// sync folders, has nothing to check.
int syncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;
  const testhooks::FdCall call = folderSyncCall.load();
  const int r = call ? call(fd) : ::fsync(fd);
  const int err = r == 0 ? 0 : errno;
  ::close(fd);
  if (err == EINVAL || err == ENOTSUP || err == EOPNOTSUPP) return 0;
  return err;
}

// A short tag of this computer, so that a leftover of another computer
// sharing the folder is told apart from one of a process here.
const std::string& hostTag() {
  static const std::string tag = [] {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    std::uint32_t h = 2166136261u;
    for (const char* c = host; *c; ++c) h = (h ^ static_cast<unsigned char>(*c)) * 16777619u;
    char text[9];
    std::snprintf(text, sizeof text, "%08x", h);
    return std::string(text);
  }();
  return tag;
}

// The start of `name` in at most `limit` bytes, not cutting a UTF-8
// character in two.
std::string cutName(const std::string& name, std::size_t limit) {
  if (name.size() <= limit) return name;
  std::size_t n = limit;
  while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
  return name.substr(0, n);
}

// ".<start of the target's name>.<host>-<pid>-<counter>.kroyna-new"
std::string newFileName(const std::string& targetName, unsigned counter) {
  std::string tail = ".";
  tail.append(hostTag()).append("-").append(std::to_string(::getpid())).append("-");
  tail.append(std::to_string(counter)).append(kNewSuffix);
  std::string name = ".";
  name.append(cutName(targetName, kNameMax - 1 - tail.size())).append(tail);
  return name;
}

struct NewFileTag {
  std::string host;
  long long pid = 0;
};

// The host and process of a writer's new file, or nothing for any other
// name.
std::optional<NewFileTag> parseNewFileName(std::string_view name) {
  if (name.size() < 1 + kNewSuffix.size() || name.front() != '.' ||
      name.substr(name.size() - kNewSuffix.size()) != kNewSuffix)
    return std::nullopt;
  std::string_view rest = name.substr(0, name.size() - kNewSuffix.size());
  // ...<host 8 hex>-<pid>-<counter>
  auto takeNumber = [&](char before) -> std::optional<std::string_view> {
    const std::size_t at = rest.rfind(before);
    if (at == std::string_view::npos) return std::nullopt;
    const std::string_view digits = rest.substr(at + 1);
    if (digits.empty() || digits.size() > 10) return std::nullopt;
    for (char c : digits)
      if (c < '0' || c > '9') return std::nullopt;
    rest = rest.substr(0, at);
    return digits;
  };
  if (!takeNumber('-')) return std::nullopt;
  const std::optional<std::string_view> pid = takeNumber('-');
  if (!pid || rest.size() < 10 || rest[rest.size() - 9] != '.') return std::nullopt;
  const std::string_view host = rest.substr(rest.size() - 8);
  for (char c : host)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::nullopt;
  return NewFileTag{std::string(host), std::stoll(std::string(*pid))};
}

// Renames without replacing: 0, or the system's error (EEXIST when `to` is
// taken).
int renameNoReplace(const fs::path& from, const fs::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  int err = errno;
  if (err != EINVAL && err != ENOSYS && err != ENOTSUP && err != EOPNOTSUPP) return err;
  // A file system without that rename: a second name, which link() never
  // gives over an existing file, then the first name goes.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return 0;
  }
  err = errno;
  if (err != EPERM && err != ENOTSUP && err != EOPNOTSUPP && err != EMLINK) return err;
  // Nor hard links: the name is taken with an empty file of ours first.
  const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  ::close(fd);
  if (::rename(from.c_str(), to.c_str()) == 0) return 0;
  err = errno;
  ::unlink(to.c_str());
  return err;
}

// The bytes of `source`; a failure is reported for `target`, the file being
// written.
std::string readWhole(const fs::path& source, const fs::path& target) {
  const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw FileError(target, stepText("не удалось открыть " + source.string(), errno));
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      throw FileError(target, stepText("не удалось прочитать " + source.string(), err));
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return bytes;
}

}  // namespace

FileError::FileError(fs::path path, std::string reason)
    : std::runtime_error(describe(path, reason)), path_(std::move(path)), reason_(std::move(reason)) {}

fs::path resolveWriteTarget(const fs::path& path) {
  std::error_code ec;
  fs::path p = path.is_absolute() ? path : fs::current_path(ec) / path;
  // As the kernel walks it: the folder is resolved first, then a link in
  // its place is read and its text taken from that folder.
  for (int hops = 0; hops <= 40; ++hops) {
    const std::string name = p.filename().string();
    if (name.empty() || name == "." || name == "..") throw FileError(path, "это не имя файла");
    char real[PATH_MAX];
    if (!::realpath(folderOf(p).c_str(), real)) throw FileError(path, stepText("папка файла не найдена", errno));
    const fs::path target = fs::path(real) / name;
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
    std::string text(PATH_MAX, '\0');
    const ssize_t n = ::readlink(target.c_str(), text.data(), text.size());
    if (n < 0) throw FileError(path, stepText("не удалось прочитать ссылку " + target.string(), errno));
    text.resize(static_cast<std::size_t>(n));
    const fs::path next(text);
    p = next.is_absolute() ? next : fs::path(real) / next;
  }
  throw FileError(path, stepText("слишком много символических ссылок", ELOOP));
}

fs::path numberedName(const fs::path& path, int n) {
  if (n == 0) return path;
  fs::path p = path;
  p.replace_filename(path.stem().string() + "_" + std::to_string(n) + path.extension().string());
  return p;
}

SafeFileWriter::SafeFileWriter(const fs::path& target) : shownPath_(target), target_(resolveWriteTarget(target)) {
  const fs::path folder = folderOf(target_);
  static std::atomic<unsigned> counter{0};
  int err = 0;
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temp_ = folder / newFileName(target_.filename().string(), counter++);
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    err = errno;
    if (fd_ < 0 && err != EEXIST) break;
  }
  if (fd_ < 0) {
    temp_.clear();
    throw FileError(shownPath_, stepText("не удалось создать новый файл в его папке", err));
  }
}

SafeFileWriter::~SafeFileWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
}

void SafeFileWriter::fail(const char* step, int err) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  ::unlink(temp_.c_str());
  temp_.clear();
  throw FileError(shownPath_, stepText(step, err));
}

void SafeFileWriter::write(std::string_view bytes) {
  if (fd_ < 0) throw FileError(shownPath_, "файл уже закрыт");
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail("не удалось записать", errno);
    }
    done += static_cast<std::size_t>(n);
  }
}

void SafeFileWriter::finish(const fs::path* like) {
  if (committed_ || temp_.empty()) throw FileError(shownPath_, "файл уже записан");
  // A file system may report a lost write only when the file is closed.
  if (fd_ >= 0) {
    const int closed = closeFd(fd_);
    const int err = errno;
    fd_ = -1;
    if (closed != 0) fail("не удалось записать", err);
  }
  // The producer may have written the new file by name, so it is synced by
  // name.
  fd_ = ::open(temp_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) fail("новый файл не найден", errno);
  struct stat old {};
  if (like && ::stat(like->c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    // The owner and group where the process may set them: root any, a user
    // a group of their own; otherwise the file is the writer's.
    if (::fchown(fd_, old.st_uid, old.st_gid) != 0) (void)::fchown(fd_, static_cast<uid_t>(-1), old.st_gid);
    if (::fchmod(fd_, old.st_mode & 07777) != 0) fail("не удалось перенести права доступа", errno);
  }
  if (::fsync(fd_) != 0) fail("не удалось записать на диск", errno);
  const int closed = closeFd(fd_);
  const int err = errno;
  fd_ = -1;
  if (closed != 0) fail("не удалось записать", err);
}

void SafeFileWriter::syncFolderAfterRename() {
  if (const int err = syncFolder(folderOf(target_)))
    throw FileError(shownPath_, stepText("файл записан, но его папку не удалось сохранить на диск", err));
}

void SafeFileWriter::commit() {
  finish(&target_);
  if (::rename(temp_.c_str(), target_.c_str()) != 0) fail("не удалось заменить файл", errno);
  committed_ = true;
  syncFolderAfterRename();
}

bool SafeFileWriter::placeIfAbsent(const fs::path& name) {
  const int err = renameNoReplace(temp_, name);
  if (err == EEXIST) return false;
  if (err != 0) fail("не удалось записать", err);
  committed_ = true;
  target_ = name;
  syncFolderAfterRename();
  return true;
}

bool SafeFileWriter::commitIfAbsent() {
  finish(nullptr);
  if (placeIfAbsent(target_)) return true;
  ::unlink(temp_.c_str());
  temp_.clear();
  return false;
}

fs::path SafeFileWriter::commitAsNew() {
  finish(nullptr);
  const fs::path wanted = target_;
  for (int n = 0; n < 100000; ++n)
    if (placeIfAbsent(numberedName(wanted, n))) return target_;
  fail("нет свободного имени", EEXIST);
}

bool renameIfAbsent(const fs::path& from, const fs::path& to) {
  const int err = renameNoReplace(from, to);
  if (err == 0) {
    if (const int e = syncFolder(folderOf(to)))
      throw FileError(to, stepText("файл перемещён, но его папку не удалось сохранить на диск", e));
    return true;
  }
  if (err == EEXIST) return false;
  if (err != EXDEV) throw FileError(from, stepText("не удалось переместить файл в " + to.string(), err));
  // Another file system: a copy under the new name, then the old name goes.
  SafeFileWriter writer(to);
  writer.write(readWhole(from, to));
  if (!writer.commitIfAbsent()) return false;
  if (::unlink(from.c_str()) != 0)
    throw FileError(from, stepText("файл скопирован в " + to.string() + ", но удалить его не удалось", errno));
  return true;
}

fs::path moveToFreeName(const fs::path& file, const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) throw FileError(folder, "не удалось создать папку: " + ec.message());
  const fs::path wanted = folder / file.filename();
  for (int n = 0; n < 100000; ++n) {
    const fs::path name = numberedName(wanted, n);
    if (renameIfAbsent(file, name)) return name;
  }
  throw FileError(wanted, "нет свободного имени");
}

bool isWriterNewFile(std::string_view name) { return parseNewFileName(name).has_value(); }

namespace {

int removeLeftovers(const fs::path& folder, bool recursive, std::chrono::seconds age, int depth) {
  int removed = 0;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) return 0;
  const std::time_t now = std::time(nullptr);
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const fs::path p = it->path();
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      if (recursive && depth < 16) removed += removeLeftovers(p, recursive, age, depth + 1);
      continue;
    }
    if (!S_ISREG(st.st_mode)) continue;
    const std::optional<NewFileTag> tag = parseNewFileName(p.filename().string());
    if (!tag) continue;
    bool gone = now - st.st_mtime > age.count();
    if (!gone && tag->host == hostTag() && tag->pid != ::getpid() && tag->pid > 0 && tag->pid <= INT_MAX)
      gone = ::kill(static_cast<pid_t>(tag->pid), 0) != 0 && errno == ESRCH;
    if (gone && ::unlink(p.c_str()) == 0) ++removed;
  }
  return removed;
}

}  // namespace

int removeLeftoverNewFiles(const fs::path& folder, bool recursive, std::chrono::seconds age) {
  return removeLeftovers(folder, recursive, age, 0);
}

namespace testhooks {
void setWriterClose(FdCall call) { closeCall = call; }
void setWriterFolderSync(FdCall call) { folderSyncCall = call; }
}  // namespace testhooks

void writeFileAtomically(const fs::path& target, std::string_view bytes) {
  SafeFileWriter writer(target);
  writer.write(bytes);
  writer.commit();
}

void copyFileAtomically(const fs::path& source, const fs::path& target) {
  writeFileAtomically(target, readWhole(source, target));
}

fs::path copyFileAsNew(const fs::path& source, const fs::path& wanted) {
  SafeFileWriter writer(wanted);
  writer.write(readWhole(source, wanted));
  return writer.commitAsNew();
}

}  // namespace kroyna::platform
