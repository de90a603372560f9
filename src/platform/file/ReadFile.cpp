#include "platform/file/ReadFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <system_error>

namespace kroyna::platform {

namespace {

// Closes the descriptor when the read ends, whichever way.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::nullopt_t fail(ReadFailure& failure, ReadFailure::Kind kind, int error) {
  failure.kind = kind;
  failure.error = error;
  return std::nullopt;
}

}  // namespace

std::string ReadFailure::reason() const {
  if (kind == Kind::TooLarge) return "файл больше " + std::to_string(cap >> 20) + " МБ";
  if (kind == Kind::Folder) return "это папка";
  return std::generic_category().message(error);
}

std::optional<std::string> readWholeFile(const std::filesystem::path& path, ReadFailure& failure, std::uintmax_t cap) {
  failure = ReadFailure{};
  failure.cap = cap;
  // Non-blocking open: a named pipe without a writer must not hang the
  // program; it is refused below as not a regular file.
  const Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) {
    const int e = errno;
    return fail(failure, e == ENOENT || e == ENOTDIR ? ReadFailure::Kind::NotFound : ReadFailure::Kind::CannotOpen, e);
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return fail(failure, ReadFailure::Kind::CannotRead, errno);
  if (S_ISDIR(st.st_mode)) return fail(failure, ReadFailure::Kind::Folder, EISDIR);
  if (!S_ISREG(st.st_mode)) return fail(failure, ReadFailure::Kind::CannotOpen, ENXIO);
  if (static_cast<std::uintmax_t>(st.st_size) > cap) return fail(failure, ReadFailure::Kind::TooLarge, EFBIG);
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(failure, ReadFailure::Kind::CannotRead, errno);
    }
    if (n == 0) break;
    // A file that grows while it is read still stops at the cap.
    if (bytes.size() + static_cast<std::size_t>(n) > cap) return fail(failure, ReadFailure::Kind::TooLarge, EFBIG);
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

}  // namespace kroyna::platform
