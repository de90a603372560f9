#include "maps/model/MapExport.h"

#include "platform/file/SafeFile.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Cp1251.h"

namespace kroyna::maps {
namespace {

// A value on one line: line breaks would start a new key.
std::string oneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

class ExportWriter {
 public:
  void section(const std::string& name) { out_ += "[" + name + "]\r\n"; }
  void key(const std::string& name, const std::string& utf8Value) {
    out_ += name;
    out_ += '=';
    out_ += text::utf8ToCp1251(oneLine(utf8Value));
    out_ += "\r\n";
  }
  void key(const std::string& name, std::int64_t value) { key(name, std::to_string(value)); }
  // "\"%s\",%d,%d"
  void piece(const std::string& name, const std::string& title, std::int32_t width, std::int32_t height) {
    key(name, "\"" + title + "\"," + std::to_string(width) + "," + std::to_string(height));
  }
  void blankLine() { out_ += "\r\n"; }
  std::string take() { return std::move(out_); }

 private:
  std::string out_;
};

}  // namespace

std::string serializeMapExport(const MapFileData& data, const MaterialNames& materialName) {
  ExportWriter out;
  for (std::size_t i = 0; i < data.sheets.size(); ++i) {
    const MapSheetRecord& s = data.sheets[i];
    if (i > 0) out.blankLine();
    out.section("SHEET" + std::to_string(i + 1));
    out.key("SNAME", s.caption);
    out.key("SMATERIAL", materialName ? materialName(s.material) : std::string());
    out.key("SWIDTH", s.width);
    out.key("SHEIGHT", s.height);
    out.key("SQUANTITY", s.quantity);
    std::size_t parts = 0, useful = 0, useless = 0;
    for (const MapPartRecord& p : s.parts) out.piece("D" + std::to_string(++parts), p.title, p.width, p.height);
    for (const MapOffcutRecord& o : s.offcuts) {
      if (o.useless)
        out.piece("LS" + std::to_string(++useless), o.name, o.width, o.height);
      else
        out.piece("S" + std::to_string(++useful), o.name, o.width, o.height);
    }
    out.key("DCOUNT", static_cast<std::int64_t>(parts));
    out.key("SCOUNT", static_cast<std::int64_t>(useful));
    out.key("LSCOUNT", static_cast<std::int64_t>(useless));
  }
  return out.take();
}

void writeMapExport(const std::filesystem::path& path, const MapFileData& data, const MaterialNames& materialName) {
  const std::string bytes = serializeMapExport(data, materialName);
  try {
    platform::writeFileAtomically(path, bytes);
  } catch (const platform::FileError& e) {
    throw MapFileError(std::string("Ошибка записи файла экспорта: ") + e.what());
  }
}

}  // namespace kroyna::maps
