#include "platform/file/StoredName.h"

namespace kroyna::platform {

namespace {
// A folder entry's limit on every file system the program writes to.
constexpr std::size_t kNameMax = 255;
}  // namespace

std::string fileNameProblem(std::string_view name) {
  if (name.empty()) return "пустое имя";
  if (name.find('\0') != std::string_view::npos) return "в имени есть нулевой символ";
  if (name.find('/') != std::string_view::npos || name.find('\\') != std::string_view::npos)
    return "в имени есть разделитель папок";
  if (name == "." || name == "..") return "имя указывает на папку";
  if (name.size() >= 2 && name[1] == ':' && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')))
    return "имя начинается с буквы диска";
  if (name.size() > kNameMax)
    return "имя длиннее " + std::to_string(kNameMax) + " байт (" + std::to_string(name.size()) + ")";
  return {};
}

std::string shownStoredName(std::string_view name) {
  std::string shown;
  for (char c : name.substr(0, 100)) shown += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
  // Not cut inside a UTF-8 character.
  if (name.size() > 100) {
    while (!shown.empty() && (static_cast<unsigned char>(shown.back()) & 0xC0) == 0x80) shown.pop_back();
    if (!shown.empty() && static_cast<unsigned char>(shown.back()) >= 0xC0) shown.pop_back();
    shown += "...";
  }
  return shown;
}

std::string damagedNameText(const std::string& file, std::string_view what, std::string_view name,
                            const std::string& why) {
  return "Файл \"" + file + "\" повреждён: " + std::string(what) + " \"" + shownStoredName(name) + "\" недопустимо (" +
         why + ").";
}

}  // namespace kroyna::platform
