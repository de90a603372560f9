#include "models/DesignFiles.h"

#include "parts/PartsTextFormats.h"
#include "platform/ini/IniDocument.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Cp1251.h"

#include <map>
#include <optional>

namespace kroyna::models {

namespace {

// The values of one section by key in upper case, as the profile
// functions read them: the first of a key written twice counts, and a value
// ends at a zero byte.
std::map<std::string, std::string> sectionValues(const ini::IniDocument& doc, const std::string& section) {
  std::map<std::string, std::string> values;
  for (auto& [key, value] : doc.entries(section))
    values.emplace(text::toUpperUtf8(key), value.substr(0, value.find('\0')));
  return values;
}

// The lines of the file as the profile functions see them: a carriage
// return ends a line as a line feed does.
ini::IniDocument parseLines(std::string_view bytes) {
  std::string lines(bytes);
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == '\r' && (i + 1 == lines.size() || lines[i + 1] != '\n')) lines[i] = '\n';
  return ini::IniDocument::parse(lines);
}

const std::string* find(const std::map<std::string, std::string>& values, const char* key) {
  const auto it = values.find(key);
  return it == values.end() ? nullptr : &it->second;
}

[[noreturn]] void tooLarge(const std::string& file, const std::string& section, const std::string& key,
                           const std::string& value) {
  throw DesignFileError("Файл \"" + file + "\" повреждён: в разделе [" + section + "] значение " + key + "=" + value +
                        " вне допустимого диапазона.");
}

// A key's whole number as the profile readers take it: the default when
// the key is missing or its value is not a whole number.
int number(const std::map<std::string, std::string>& values, const char* key, int def, const std::string& file,
           const std::string& section) {
  const std::string* text = find(values, key);
  if (!text) return def;
  int v = 0;
  switch (parts::parseWholeNumber(*text, v)) {
    case parts::WholeNumber::None: return def;
    case parts::WholeNumber::Ok: return v;
    case parts::WholeNumber::TooLarge: break;
  }
  tooLarge(file, section, key, *text);
}

}  // namespace

std::vector<DesignPart> readDesignParts(std::string_view bytes, int defaultRotation, const std::string& shownName) {
  const ini::IniDocument doc = parseLines(bytes);
  std::vector<DesignPart> parts;
  for (const std::string& section : doc.sections()) {
    const std::map<std::string, std::string> v = sectionValues(doc, section);
    DesignPart p;
    p.section = section;
    parts::PartRow& r = p.row;
    if (const std::string* name = find(v, "SHIFR")) r.name = *name;
    r.length = number(v, "W", 0, shownName, section);
    r.width = number(v, "H", 0, shownName, section);
    r.quantity = number(v, "QUANTITY", 0, shownName, section);
    r.rotation = number(v, "ROTATE", defaultRotation, shownName, section);
    r.left = number(v, "LB", 0, shownName, section);
    r.right = number(v, "RB", 0, shownName, section);
    r.top = number(v, "TB", 0, shownName, section);
    r.bottom = number(v, "BB", 0, shownName, section);
    r.material = number(v, "MATERIAL", 0, shownName, section);
    parts.push_back(std::move(p));
  }
  return parts;
}

std::vector<ModelListEntry> readModelList(std::string_view bytes, const std::string& shownName) {
  const ini::IniDocument doc = parseLines(bytes);
  const std::map<std::string, std::string> values = sectionValues(doc, "MODELS");
  const int count = number(values, "COUNT", 0, shownName, "MODELS");
  if (count > kMaxModelListEntries)
    throw DesignFileError("Файл \"" + shownName + "\" повреждён: COUNT=" + std::to_string(count) + " больше " +
                          std::to_string(kMaxModelListEntries) + ".");
  std::vector<ModelListEntry> entries;
  for (int k = 1; k <= count; ++k) {
    const std::string* value = find(values, std::to_string(k).c_str());
    if (!value) continue;  // a missing number is skipped
    const std::vector<std::string> items = ini::splitCommaList(*value);
    ModelListEntry e;
    if (!items.empty()) e.name = items[0];
    if (items.size() > 1 && !items[1].empty()) {
      int c = 0;
      if (parts::parseWholeNumber(items[1], c) != parts::WholeNumber::Ok)
        throw DesignFileError("Файл \"" + shownName + "\" повреждён: количество \"" + items[1] + "\" модели \"" +
                              e.name + "\" (запись " + std::to_string(k) + ") не является целым числом.");
      e.count = c;
    }
    entries.push_back(std::move(e));
  }
  return entries;
}

std::string writeModelList(const std::vector<ModelListEntry>& entries) {
  ini::IniDocument doc;
  doc.setValue("MODELS", "COUNT", std::to_string(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i)
    doc.setValue("MODELS", std::to_string(i + 1),
                 ini::joinCommaList({entries[i].name, std::to_string(entries[i].count)}));
  return doc.serialize();
}

}  // namespace kroyna::models
