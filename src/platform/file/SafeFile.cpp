#include "platform/file/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace kroyna::platform {

namespace fs = std::filesystem;

namespace {

std::string describe(const fs::path& path, const std::string& reason) {
  return "Ошибка записи файла \"" + path.string() + "\": " + reason;
}

std::string stepText(const char* step, int err) {
  std::string text = step;
  if (err != 0) text += ": " + std::string(std::strerror(err));
  return text;
}

void syncFolder(const fs::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

FileError::FileError(fs::path path, std::string reason)
    : std::runtime_error(describe(path, reason)), path_(std::move(path)), reason_(std::move(reason)) {}

fs::path resolveWriteTarget(const fs::path& path) {
  fs::path target = path;
  std::error_code ec;
  // A bounded walk: a link loop ends as an error at open time.
  for (int hops = 0; hops < 40 && fs::is_symlink(target, ec); ++hops) {
    const fs::path next = fs::read_symlink(target, ec);
    if (ec) break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target.lexically_normal();
}

SafeFileWriter::SafeFileWriter(const fs::path& target) : shownPath_(target), target_(resolveWriteTarget(target)) {
  const fs::path folder = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
  static std::atomic<unsigned> counter{0};
  int err = 0;
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temp_ = folder / ("." + target_.filename().string() + "." + std::to_string(::getpid()) + "." +
                      std::to_string(counter++) + ".new");
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

void SafeFileWriter::commit() {
  if (committed_ || temp_.empty()) throw FileError(shownPath_, "файл уже записан");
  // The producer may have written the new file by name; our descriptor
  // still names the same file unless it was replaced, so sync by name.
  if (fd_ >= 0) ::close(fd_);
  fd_ = ::open(temp_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) fail("новый файл не найден", errno);
  struct stat old {};
  if (::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    if (::fchmod(fd_, old.st_mode & 07777) != 0) fail("не удалось перенести права доступа", errno);
    // Keep the owner when we may (running as root for another user's file);
    // an ordinary user cannot give a file away, and that is not an error.
    if (::geteuid() == 0 && ::fchown(fd_, old.st_uid, old.st_gid) != 0) {
      // Not fatal: the file keeps our owner.
    }
  }
  if (::fsync(fd_) != 0) fail("не удалось записать на диск", errno);
  const int closed = ::close(fd_);
  fd_ = -1;
  if (closed != 0) fail("не удалось записать", errno);
  if (::rename(temp_.c_str(), target_.c_str()) != 0) fail("не удалось заменить файл", errno);
  committed_ = true;
  syncFolder(target_.has_parent_path() ? target_.parent_path() : fs::path("."));
}

void writeFileAtomically(const fs::path& target, std::string_view bytes) {
  SafeFileWriter writer(target);
  writer.write(bytes);
  writer.commit();
}

void copyFileAtomically(const fs::path& source, const fs::path& target) {
  const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw FileError(target, stepText(("не удалось открыть " + source.string()).c_str(), errno));
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      throw FileError(target, stepText(("не удалось прочитать " + source.string()).c_str(), err));
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  writeFileAtomically(target, bytes);
}

}  // namespace kroyna::platform
