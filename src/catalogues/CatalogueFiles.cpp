#include "catalogues/CatalogueFiles.h"

#include "platform/file/ReadFile.h"
#include "platform/file/SafeFile.h"
#include "platform/ini/IniDocument.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Cp1251.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace kroyna::catalogues {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSection = "Materials";

std::string readBytes(const fs::path& file) {
  platform::ReadFailure why;
  std::optional<std::string> bytes = platform::readWholeFile(file, why);
  if (bytes) return std::move(*bytes);
  using Kind = platform::ReadFailure::Kind;
  if (why.kind == Kind::Folder || why.kind == Kind::CannotRead || why.kind == Kind::TooLarge)
    throw CatalogueError("Не удалось прочитать файл " + file.string() + ": " + why.reason());
  throw CatalogueError("Не удалось открыть файл " + file.string() + ": " + why.reason());
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// A signed decimal number with an optional sign; nothing else allowed.
bool parseSigned(std::string_view text, long long& out) {
  text = trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 18) return false;
  long long v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  out = negative ? -v : v;
  return true;
}

}  // namespace

bool parseCodeKey(std::string_view key, int& code) {
  key = trim(key);
  if (key.empty()) return false;
  long long v = 0;
  for (char c : key) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > 2147483647LL) return false;
  }
  code = static_cast<int>(v);
  return true;
}

ExternalCatalogue parseExternalCatalogue(std::string_view bytes) {
  ExternalCatalogue result;
  const ini::IniDocument doc = ini::IniDocument::parse(bytes);
  for (auto& [key, value] : doc.entries(kSection)) {
    int code = 0;
    if (parseCodeKey(key, code)) {
      // The profile functions give a value up to its first zero byte.
      std::string name = value.substr(0, value.find('\0'));
      result.entries.push_back({code, std::move(name)});
    } else {
      result.skippedKeys.push_back(key);
    }
  }
  return result;
}

ExternalCatalogue readExternalCatalogue(const fs::path& file) { return parseExternalCatalogue(readBytes(file)); }

std::string serializeExternalCatalogue(const std::vector<ExternalEntry>& entries) {
  // A written file holds each code once: a later entry of a code replaces
  // the earlier one.
  ini::IniDocument doc;
  doc.setValue(kSection, "0", "");
  doc.eraseKey(kSection, "0");
  for (const auto& e : entries) doc.setValue(kSection, std::to_string(e.code), e.name);
  return doc.serialize();
}

void writeExternalCatalogue(const fs::path& file, const std::vector<ExternalEntry>& entries) {
  try {
    platform::writeFileAtomically(file, serializeExternalCatalogue(entries));
  } catch (const std::exception& e) {
    throw CatalogueError(e.what());
  }
}

std::vector<EdgeColour> parseEdgeColours(std::string_view bytes) {
  std::vector<EdgeColour> result;
  std::size_t start = 0;
  while (start <= bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(start, end - start);
    start = end + 1;
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    long long code = 0, colour = 0;
    if (!parseSigned(line.substr(0, eq), code) || !parseSigned(line.substr(eq + 1), colour)) continue;
    if (code < -2147483648LL || code > 2147483647LL) continue;
    if (colour < -2147483648LL || colour > 4294967295LL) continue;
    result.push_back({static_cast<int>(code), static_cast<std::int32_t>(static_cast<std::uint32_t>(colour))});
  }
  return result;
}

std::vector<EdgeColour> readEdgeColours(const fs::path& file) {
  std::error_code ec;
  if (!fs::exists(file, ec)) return {};
  return parseEdgeColours(readBytes(file));
}

std::int32_t colourOf(const std::vector<EdgeColour>& colours, int code, std::int32_t def) {
  for (const auto& c : colours) {
    if (c.code == code) return c.colour;
  }
  return def;
}

std::string serializeEdgeColours(const std::vector<EdgeColour>& colours) {
  std::string out;
  for (const auto& c : colours) {
    out += std::to_string(c.code);
    out += '=';
    out += std::to_string(c.colour);
    out += "\r\n";
  }
  return out;
}

void writeEdgeColours(const fs::path& file, const std::vector<EdgeColour>& colours) {
  try {
    platform::writeFileAtomically(file, serializeEdgeColours(colours));
  } catch (const std::exception& e) {
    throw CatalogueError(e.what());
  }
}

fs::path findFileIgnoringCase(const fs::path& folder, std::string_view name) {
  const fs::path exact = folder / std::string(name);
  std::error_code ec;
  if (fs::exists(exact, ec)) return exact;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string candidate = it->path().filename().string();
    if (text::equalsIgnoreCase(candidate, name)) return it->path();
  }
  return exact;
}

}  // namespace kroyna::catalogues
