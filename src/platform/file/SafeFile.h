#pragma once

// The one way the program writes a file that a user keeps: tables, settings,
// maps, templates, spreadsheets, models.
//
// The new content goes to a new file in the target's folder, which is
// flushed and synced to disk and then renamed over the target, so that a
// crash, a full disk or a failed write never leaves a half-written file: the
// target has either its old bytes or all the new ones. The new file takes the
// old file's permissions. A symbolic link is followed, so the file it points
// to is replaced and the link stays a link. On failure the new file is
// removed, the old one is untouched, and a FileError names the file and the
// system's reason.
//
// Standard C++ and POSIX only.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kroyna::platform {

class FileError : public std::runtime_error {
 public:
  FileError(std::filesystem::path path, std::string reason);
  const std::filesystem::path& path() const { return path_; }
  // The failed step and the system's reason, without the file name.
  const std::string& reason() const { return reason_; }

 private:
  std::filesystem::path path_;
  std::string reason_;
};

// Replaces (or creates) `target` with `bytes`.
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// Replaces (or creates) `target` with a copy of `source`.
void copyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target);

// For producers that write a file by name themselves (a spreadsheet or
// compound-file library): they write `newPath()`, then `commit()` puts it in
// place of the target. Without a commit the new file is removed when the
// writer goes, and the target stays as it was.
class SafeFileWriter {
 public:
  explicit SafeFileWriter(const std::filesystem::path& target);
  ~SafeFileWriter();
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;

  // The file the link resolution led to (the one that is replaced).
  const std::filesystem::path& target() const { return target_; }
  // A new, empty file in the target's folder.
  const std::filesystem::path& newPath() const { return temp_; }
  // Appends to the new file.
  void write(std::string_view bytes);
  // Syncs the new file, gives it the target's permissions and renames it
  // over the target. Throws FileError (and removes the new file) on failure.
  void commit();

 private:
  [[noreturn]] void fail(const char* step, int err);

  std::filesystem::path shownPath_;  // the name the caller gave, for messages
  std::filesystem::path target_;
  std::filesystem::path temp_;
  int fd_ = -1;
  bool committed_ = false;
};

// Where a write to `path` lands: the final file a chain of symbolic links
// leads to, or `path` itself.
std::filesystem::path resolveWriteTarget(const std::filesystem::path& path);

}  // namespace kroyna::platform
