#pragma once

// Operations on whole table files, and the registry of the files that open
// tables hold.
//
// Nothing on Linux stops a program from renaming or deleting a file that
// it has open, so the layer keeps the registry itself: every open Table
// registers its file, and moving, deleting or copying over a registered
// file is refused with a TableError, instead of pulling the file from under
// the window that holds it. Reading a registered file (copying from it,
// selecting from it) is allowed.
//
// Copies never change the target in place: the bytes go to a new file in
// the target's folder, which is flushed to disk and then renamed over the
// target. A failed copy leaves the target as it was and throws.

#include <filesystem>
#include <string>
#include <string_view>

namespace kroyna::dbase {

// Copies `source` over `target` (created or replaced).
void copyOver(const std::filesystem::path& source, const std::filesystem::path& target);

// Moves or renames `source` to `target`. Refuses when `target` exists, also
// when it appears while the move runs; works across file systems (copy,
// then delete the source).
void moveFile(const std::filesystem::path& source, const std::filesystem::path& target);

// Deletes the file. Returns false when there was none; throws when it
// cannot be deleted.
bool removeFile(const std::filesystem::path& path);

bool fileExists(const std::filesystem::path& path);

// Makes `target` a copy of the template `templateName` of `patternFolder`
// (replacing it). Tables of the program are made only this way, never from
// a structure written in code. Throws when the template is missing or is
// not a readable table.
void createFromTemplate(const std::filesystem::path& patternFolder, std::string_view templateName,
                        const std::filesystem::path& target);

// Whether some open Table holds this file.
bool isTableOpen(const std::filesystem::path& path);

namespace detail {
// Used by Table: registration of the files it opens, counted per file.
std::filesystem::path registryKey(const std::filesystem::path& path);
void registerOpen(const std::filesystem::path& key);
void unregisterOpen(const std::filesystem::path& key);
// Writes a table file through the program's safe writer
// (platform/file/SafeFile.h); throws TableError.
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);
}  // namespace detail

}  // namespace kroyna::dbase
