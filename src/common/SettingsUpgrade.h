#pragma once

#include <filesystem>

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::common {

// Brings a settings file of layout version 1 (key `Version` of section
// `Default` is 1 or missing) to version 2:
//  - copies the file as it is to `Kroyna.~ini` beside it (overwriting);
//  - turns every section whose name begins with "Material" and holds keys
//    of the old layout (MarkNumbering, CheckLength, SheetWidth, ...) into
//    one with exactly the four comma-list keys `Mark`, `Scrap`, `Optim`
//    and `WH`; sections without old keys are left as they are;
//  - writes `Version` = 2.
// The changes reach the file in one atomic write, so an interrupted
// upgrade leaves the old file, and the next start upgrades it again.
// A file already at version 2 is not touched. Returns true when it
// upgraded. Throws ini::IniError when the backup or the file cannot be
// written.
bool upgradeSettings(ini::IniFile& ini);

// `Kroyna.~ini` for `Kroyna.ini`: the file's name with the extension ".~ini".
std::filesystem::path settingsBackupPath(const std::filesystem::path& settingsFile);

}  // namespace kroyna::common
