#pragma once

// The one way the program writes a file that a user keeps: tables, settings,
// maps, templates, spreadsheets, models.
//
// The new content goes to a new file in the target's folder, which is
// flushed and synced to disk and then renamed over the target, so that a
// crash, a full disk or a failed write never leaves a half-written file: the
// target has either its old bytes or all the new ones. The new file takes the
// old file's permissions, and its owner and group where the process may set
// them. A symbolic link is followed as the kernel follows it (a relative
// link from the folder the link is in, the folders on the way resolved
// first), so the file it points to is replaced and the link stays a link. On
// failure the new file is removed, the old one is untouched, and a FileError
// names the file and the system's reason; a failed close() or a failed sync
// of the folder after the rename is reported too.
//
// The new file's name is the writer's own: a dot, the start of the target's
// name, and a tag of the host, the process and a counter, ending in
// ".kroyna-new", always within the file system's limit of 255 bytes. What a
// crash leaves of such files is removed by removeLeftoverNewFiles at the
// next start.
//
// Standard C++ and POSIX only.

#include <chrono>
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

// Copies `source` to `wanted` or, when that is taken, to the first free
// numbered name beside it; never replaces a file. Returns the name taken.
std::filesystem::path copyFileAsNew(const std::filesystem::path& source, const std::filesystem::path& wanted);

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
  // Syncs the new file, gives it the target's permissions and owner and
  // renames it over the target. Throws FileError (and removes the new file)
  // on failure; a failed sync of the folder after the rename throws too,
  // the target then holding the new bytes.
  void commit();
  // The same for a file that must not replace anything: the new file takes
  // the target's name or, when a file of that name is there, the first free
  // numbered name beside it (numberedName). Returns the name it took.
  std::filesystem::path commitAsNew();
  // The same under the target's own name only: false, and the new file
  // removed, when a file of that name is there.
  bool commitIfAbsent();

 private:
  [[noreturn]] void fail(const char* step, int err);
  // Closes and syncs the new file; with `like` set, gives it that file's
  // permissions and owner first.
  void finish(const std::filesystem::path* like);
  void syncFolderAfterRename();
  // Renames the new file to `name` unless that is taken (false).
  bool placeIfAbsent(const std::filesystem::path& name);

  std::filesystem::path shownPath_;  // the name the caller gave, for messages
  std::filesystem::path target_;
  std::filesystem::path temp_;
  int fd_ = -1;
  bool committed_ = false;
};

// Where a write to `path` lands: the final file a chain of symbolic links
// leads to, resolved as the kernel resolves it, or `path` itself (made
// absolute, its folders resolved). Throws FileError when the folder does not
// exist or the links go round (more than 40 of them).
std::filesystem::path resolveWriteTarget(const std::filesystem::path& path);

// `path` for n = 0, else its stem, "_", n and its extension: Models.dat,
// Models_1.dat, Models_2.dat ...
std::filesystem::path numberedName(const std::filesystem::path& path, int n);

// Renames `from` to `to` unless `to` exists, in one step that no other
// program can come between (renameat2 with RENAME_NOREPLACE; a hard link and
// an unlink where the file system has no such rename; a copy and an unlink
// across file systems). False when `to` exists, nothing changed. Throws
// FileError for any other failure.
bool renameIfAbsent(const std::filesystem::path& from, const std::filesystem::path& to);

// Moves `file` into `folder` (created when missing) under its own name or,
// when that is taken, the first free numbered name; never replaces a file.
// Returns the new path. Throws FileError.
std::filesystem::path moveToFreeName(const std::filesystem::path& file, const std::filesystem::path& folder);

// Whether `name` is a new file of this writer (of any process or host).
bool isWriterNewFile(std::string_view name);

// Removes the new files of writers that cannot still be writing them from
// `folder` and, with `recursive`, its subfolders (links to folders are not
// followed): those of a process of this host that no longer runs, and any
// older than `age` (another host's, or a process that reused a number).
// Other files are never touched. Returns how many were removed.
int removeLeftoverNewFiles(const std::filesystem::path& folder, bool recursive,
                           std::chrono::seconds age = std::chrono::hours(24));

namespace testhooks {
// Replaces the close() and the folder's fsync() of the writer, to show how
// it reports a file system that fails them (a full network share reports a
// lost write only at close). nullptr puts the system's back.
using FdCall = int (*)(int fd);
void setWriterClose(FdCall call);
void setWriterFolderSync(FdCall call);
}  // namespace testhooks

}  // namespace kroyna::platform
