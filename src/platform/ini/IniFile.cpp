#include "platform/ini/IniFile.h"

#include "platform/file/SafeFile.h"
#include "platform/ini/CommaList.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <system_error>

namespace kroyna::ini {
namespace {

// "Файл настроек "<path>": <what failed>: <the system's reason>".
std::string describe(const std::filesystem::path& path, const std::string& what, int err) {
  return "Файл настроек \"" + path.string() + "\": " + what + ": " + std::generic_category().message(err);
}

// Reads the whole file. Returns false when it does not exist.
bool readWholeFile(const std::filesystem::path& path, std::string& out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return false;
    throw IniError(describe(path, "не удалось открыть", errno));
  }
  std::string data;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      throw IniError(describe(path, "не удалось прочитать", err));
    }
    if (n == 0) break;
    data.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  out = std::move(data);
  return true;
}

}  // namespace

IniFile::Stamp IniFile::stampOf(const std::filesystem::path& path) {
  Stamp stamp;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.directory = S_ISDIR(st.st_mode);
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = static_cast<unsigned long long>(st.st_size);
  stamp.mtimeSec = st.st_mtim.tv_sec;
  stamp.mtimeNsec = st.st_mtim.tv_nsec;
  return stamp;
}

void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  try {
    platform::writeFileAtomically(path, bytes);
  } catch (const platform::FileError& e) {
    throw IniError("Файл настроек \"" + path.string() + "\": " + e.reason());
  }
}

IniFile::IniFile(std::filesystem::path path) : path_(std::move(path)) { load(); }

void IniFile::load() const {
  const Stamp stamp = stampOf(path_);
  if (stamp.directory) throw IniError(describe(path_, "не удалось прочитать", EISDIR));
  std::string bytes;
  if (!stamp.exists || !readWholeFile(path_, bytes)) {
    doc_ = IniDocument();
    stamp_ = Stamp();
    return;
  }
  doc_ = IniDocument::parse(bytes);
  stamp_ = stamp;
}

void IniFile::refresh(bool strict) const {
  if (batchDepth_ > 0) return;  // pending changes are not yet on disk
  if (stampOf(path_) == stamp_) return;
  if (strict) {
    load();
    return;
  }
  try {
    load();
  } catch (const IniError&) {
    // Reads keep the last contents; the next write reports the fault.
  }
}

void IniFile::reload() {
  if (batchDepth_ > 0)
    throw IniError("Файл настроек \"" + path_.string() + "\": нельзя перечитать его, пока вносятся изменения");
  load();
}

void IniFile::commit(IniDocument next) {
  if (batchDepth_ > 0) {
    doc_ = std::move(next);
    batchDirty_ = true;
    return;
  }
  writeFileAtomically(path_, next.serialize());
  doc_ = std::move(next);
  // Remember the file as written, so that the next call does not re-read it.
  stamp_ = stampOf(path_);
}

template <class Change>
void IniFile::change(Change&& fn) {
  refresh(true);
  IniDocument next = doc_;
  if (!fn(next)) return;
  commit(std::move(next));
}

void IniFile::batch(const std::function<void()>& changes) {
  if (batchDepth_ == 0) refresh(true);
  const IniDocument before = doc_;
  const bool dirtyBefore = batchDirty_;
  ++batchDepth_;
  try {
    changes();
  } catch (...) {
    --batchDepth_;
    doc_ = before;
    batchDirty_ = dirtyBefore;
    throw;
  }
  --batchDepth_;
  if (batchDepth_ > 0 || !batchDirty_) return;
  batchDirty_ = false;
  IniDocument result = doc_;
  doc_ = before;  // stays as on disk should the write fail
  commit(std::move(result));
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view def) const {
  refresh(false);
  if (auto v = doc_.value(section, key)) return std::move(*v);
  return std::string(def);
}

int IniFile::readInt(std::string_view section, std::string_view key, int def) const {
  refresh(false);
  const auto v = doc_.value(section, key);
  return v ? parseLeadingInt(*v, def) : def;
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool def) const {
  return readInt(section, key, def ? 1 : 0) != 0;
}

double IniFile::readFloat(std::string_view section, std::string_view key, double def) const {
  refresh(false);
  const auto v = doc_.value(section, key);
  return v ? parseFloat(*v, def) : def;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
  try {
    change([&](IniDocument& d) { return d.setValue(section, key, value); });
  } catch (const IniError& e) {
    if (std::string_view(e.what()).find(path_.string()) != std::string_view::npos) throw;
    throw IniError("Файл настроек \"" + path_.string() + "\": " + e.what());
  }
}

void IniFile::writeInt(std::string_view section, std::string_view key, int value) {
  writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
  writeString(section, key, value ? "1" : "0");
}

void IniFile::writeFloat(std::string_view section, std::string_view key, double value) {
  char buf[400];
  const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
  if (ec != std::errc()) {
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    writeString(section, key, std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
    return;
  }
  writeString(section, key, std::string_view(buf, static_cast<std::size_t>(ptr - buf)));
}

bool IniFile::sectionExists(std::string_view section) const {
  refresh(false);
  return doc_.hasSection(section);
}

bool IniFile::keyExists(std::string_view section, std::string_view key) const {
  refresh(false);
  return doc_.hasKey(section, key);
}

std::vector<std::string> IniFile::sections() const {
  refresh(false);
  return doc_.sections();
}

std::vector<std::string> IniFile::readSectionKeys(std::string_view section) const {
  refresh(false);
  return doc_.keys(section);
}

std::vector<std::pair<std::string, std::string>> IniFile::readSectionValues(std::string_view section) const {
  refresh(false);
  return doc_.entries(section);
}

void IniFile::eraseSection(std::string_view section) {
  change([&](IniDocument& d) { return d.eraseSection(section); });
}

void IniFile::eraseKey(std::string_view section, std::string_view key) {
  change([&](IniDocument& d) { return d.eraseKey(section, key); });
}

}  // namespace kroyna::ini
