#pragma once

// Names that the program reads from a file's contents and turns into a
// path: a model's parts table in the models file, the data table named by
// `FName` in the header of a parts database, and any other such name. A
// file may be damaged or made by someone who means harm, so every such name
// goes through one check before it names a file, and a name that passes
// always names a file inside the folder it is joined to: nothing outside
// that folder is ever read, written or deleted because a file said so.
//
// Standard C++ only.

#include <filesystem>
#include <string>
#include <string_view>

namespace kroyna::platform {

// Why `fileName` (the whole name of the file, extension included, as it
// will be on disk: UTF-8 here) cannot name a file inside a folder, or an
// empty text when it can. Refused: an empty name, a NUL character, the
// folder separators '/' and '\', the names "." and "..", a drive letter
// ("C:"), and a name longer than a folder entry may be (255 bytes).
std::string fileNameProblem(std::string_view fileName);

// The name as a message may show it: characters below the blank as '?',
// at most 100 bytes followed by "...".
std::string shownStoredName(std::string_view name);

// "Файл "<file>" повреждён: <what> "<name>" недопустимо (<why>)." for a
// name refused by fileNameProblem; `what` says what the name was for
// ("имя таблицы деталей").
std::string damagedNameText(const std::string& file, std::string_view what, std::string_view name,
                            const std::string& why);

}  // namespace kroyna::platform
