#pragma once

// A copy of a file kept while a sequence of changes runs, so that a failure
// can put the file back: the one backup-and-restore of the program.
//
// A backup never takes the place of another: when its name is taken (the
// backup of an earlier attempt whose restore failed, the only copy of some
// user's data), it takes the first free numbered name beside it. And when a
// restore fails, the backup stays, and restoreFailedText says where it is
// and what to do with it.
//
// Standard C++ and POSIX only.

#include <filesystem>
#include <string>

namespace kroyna::platform {

class FileBackup {
 public:
  // Copies `file` to `wanted` or, when that name is taken, to the first
  // free of numberedName(wanted, 1), (wanted, 2) ... Throws FileError; no
  // backup is then left.
  FileBackup(const std::filesystem::path& file, const std::filesystem::path& wanted);

  const std::filesystem::path& original() const { return original_; }
  const std::filesystem::path& path() const { return path_; }

  // Copies the backup back over the original, then removes the backup.
  // Throws FileError; the backup then stays where it is.
  void restore();
  // Removes the backup (the changes went through). False when it could not
  // be removed; it then stays, harming nothing.
  bool discard() noexcept;

 private:
  std::filesystem::path original_;
  std::filesystem::path path_;
};

// The text of a restore that failed: "Прежний файл "<original>" не удалось
// восстановить (<reason>). Его копия сохранена в файле "<backup>":
// скопируйте её на место файла "<original>"."
std::string restoreFailedText(const FileBackup& backup, const std::string& reason);

}  // namespace kroyna::platform
