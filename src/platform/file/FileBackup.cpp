#include "platform/file/FileBackup.h"

#include "platform/file/SafeFile.h"

#include <unistd.h>

#include <cerrno>

namespace kroyna::platform {

namespace fs = std::filesystem;

FileBackup::FileBackup(const fs::path& file, const fs::path& wanted)
    : original_(file), path_(copyFileAsNew(file, wanted)) {}

void FileBackup::restore() {
  copyFileAtomically(path_, original_);
  discard();
}

bool FileBackup::discard() noexcept { return ::unlink(path_.c_str()) == 0 || errno == ENOENT; }

std::string restoreFailedText(const FileBackup& backup, const std::string& reason) {
  return "Прежний файл \"" + backup.original().string() + "\" не удалось восстановить (" + reason +
         ").\rЕго копия сохранена в файле \"" + backup.path().string() + "\": скопируйте её на место файла \"" +
         backup.original().string() + "\".";
}

}  // namespace kroyna::platform
