#include "platform/ini/IniDocument.h"

#include "platform/text/Cp1251.h"

namespace kroyna::ini {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string upperName(std::string_view utf8) { return text::toUpperUtf8(trim(utf8)); }

bool isQuote(char c) { return c == '"' || c == '\''; }

// The value as the profile functions give it: trimmed, and without a
// matching pair of enclosing quotes.
std::string_view unquote(std::string_view v) {
  v = trim(v);
  if (v.size() >= 2 && isQuote(v.front()) && v.back() == v.front()) {
    v.remove_prefix(1);
    v.remove_suffix(1);
  }
  return v;
}

// The text to store for a value so that unquote() gives it back: line
// breaks become blanks (they would end the line), and a value that would
// lose blanks at its ends or its enclosing quotes gets a pair of quotes.
std::string quoteForStorage(std::string_view value) {
  std::string v;
  v.reserve(value.size() + 2);
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\r') {
      v += ' ';
      if (i + 1 < value.size() && value[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      v += ' ';
    } else if (c == '\0') {
      // A zero byte would end the value for any reader that treats it as
      // a C string; it carries nothing.
    } else {
      v += c;
    }
  }
  const bool needs = !v.empty() && (isBlank(v.front()) || isBlank(v.back()) ||
                                    (v.size() >= 2 && isQuote(v.front()) && v.back() == v.front()));
  return needs ? '"' + v + '"' : v;
}

void checkName(std::string_view name, bool isKey) {
  const std::string_view t = trim(name);
  const std::string what = isKey ? "имя ключа" : "имя раздела";
  if (t.empty()) throw IniError("пустое " + what);
  for (char c : t)
    if (c == '\r' || c == '\n' || c == '\0')
      throw IniError(what + " \"" + std::string(t) + "\" содержит перевод строки");
  if (isKey) {
    if (t.find('=') != std::string_view::npos || t.front() == '[' || t.front() == ';')
      throw IniError(what + " \"" + std::string(t) + "\" нельзя записать в файл");
  } else if (t.find(']') != std::string_view::npos) {
    throw IniError(what + " \"" + std::string(t) + "\" нельзя записать в файл");
  }
}

}  // namespace

IniDocument::Line IniDocument::parseLine(std::string raw) {
  Line line;
  line.raw = std::move(raw);
  const std::string_view t = trim(line.raw);
  if (!t.empty() && t.front() == '[') {
    const std::size_t close = t.rfind(']');
    if (close != std::string_view::npos) {
      line.kind = Kind::Section;
      line.name = text::cp1251ToUtf8(trim(t.substr(1, close - 1)));
      line.upper = text::toUpperUtf8(line.name);
      return line;
    }
  }
  if (!t.empty() && t.front() != ';') {
    const std::size_t eq = t.find('=');
    if (eq != std::string_view::npos && !trim(t.substr(0, eq)).empty()) {
      line.kind = Kind::Key;
      line.name = text::cp1251ToUtf8(trim(t.substr(0, eq)));
      line.upper = text::toUpperUtf8(line.name);
    }
  }
  return line;
}

IniDocument IniDocument::parse(std::string_view bytes) {
  IniDocument doc;
  std::string converted;
  // A file saved by a text editor as UTF-8 with a byte order mark is read
  // as UTF-8; it is written back in code page 1251.
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    converted = text::utf8ToCp1251(bytes.substr(3));
    bytes = converted;
  }
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find('\n', pos);
    const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view raw = bytes.substr(pos, end - pos);
    while (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    doc.lines_.push_back(parseLine(std::string(raw)));
    pos = next;
  }
  return doc;
}

std::string IniDocument::serialize() const {
  std::string out;
  for (const Line& l : lines_) {
    out += l.raw;
    out += "\r\n";
  }
  return out;
}

std::size_t IniDocument::sectionEnd(std::size_t begin) const {
  std::size_t i = begin;
  while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
  return i;
}

std::pair<std::size_t, std::size_t> IniDocument::findSection(const std::string& upperName) const {
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Kind::Section && lines_[i].upper == upperName) return {i + 1, sectionEnd(i + 1)};
  return {std::string::npos, std::string::npos};
}

std::optional<std::string> IniDocument::value(std::string_view section, std::string_view key) const {
  const auto [b, e] = findSection(upperName(section));
  if (b == std::string::npos) return std::nullopt;
  const std::string k = upperName(key);
  for (std::size_t i = b; i < e; ++i) {
    const Line& l = lines_[i];
    if (l.kind == Kind::Key && l.upper == k) {
      const std::size_t eq = l.raw.find('=');
      return text::cp1251ToUtf8(unquote(std::string_view(l.raw).substr(eq + 1)));
    }
  }
  return std::nullopt;
}

bool IniDocument::hasSection(std::string_view section) const {
  return findSection(upperName(section)).first != std::string::npos;
}

bool IniDocument::hasKey(std::string_view section, std::string_view key) const {
  const auto [b, e] = findSection(upperName(section));
  if (b == std::string::npos) return false;
  const std::string k = upperName(key);
  for (std::size_t i = b; i < e; ++i)
    if (lines_[i].kind == Kind::Key && lines_[i].upper == k) return true;
  return false;
}

std::vector<std::string> IniDocument::sections() const {
  std::vector<std::string> names;
  std::vector<const std::string*> seen;
  for (const Line& l : lines_) {
    if (l.kind != Kind::Section) continue;
    bool dup = false;
    for (const std::string* s : seen) dup = dup || *s == l.upper;
    if (dup) continue;
    seen.push_back(&l.upper);
    names.push_back(l.name);
  }
  return names;
}

std::vector<std::string> IniDocument::keys(std::string_view section) const {
  std::vector<std::string> out;
  const auto [b, e] = findSection(upperName(section));
  if (b == std::string::npos) return out;
  for (std::size_t i = b; i < e; ++i)
    if (lines_[i].kind == Kind::Key) out.push_back(lines_[i].name);
  return out;
}

std::vector<std::pair<std::string, std::string>> IniDocument::entries(std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> out;
  const auto [b, e] = findSection(upperName(section));
  if (b == std::string::npos) return out;
  for (std::size_t i = b; i < e; ++i) {
    const Line& l = lines_[i];
    if (l.kind != Kind::Key) continue;
    const std::size_t eq = l.raw.find('=');
    out.emplace_back(l.name, text::cp1251ToUtf8(unquote(std::string_view(l.raw).substr(eq + 1))));
  }
  return out;
}

bool IniDocument::setValue(std::string_view section, std::string_view key, std::string_view value) {
  checkName(section, false);
  checkName(key, true);
  const std::string stored = text::utf8ToCp1251(quoteForStorage(value));
  const std::string secUpper = upperName(section);
  const std::string keyUpper = upperName(key);
  auto [b, e] = findSection(secUpper);
  if (b == std::string::npos) {
    if (!lines_.empty() && !trim(lines_.back().raw).empty()) lines_.push_back(parseLine(""));
    lines_.push_back(parseLine("[" + text::utf8ToCp1251(trim(section)) + "]"));
    lines_.push_back(parseLine(text::utf8ToCp1251(trim(key)) + "=" + stored));
    return true;
  }
  for (std::size_t i = b; i < e; ++i) {
    Line& l = lines_[i];
    if (l.kind != Kind::Key || l.upper != keyUpper) continue;
    // Keep the key as spelled in the file.
    std::string raw = text::utf8ToCp1251(l.name) + "=" + stored;
    if (raw == l.raw) return false;
    l = parseLine(std::move(raw));
    return true;
  }
  // A new key goes after the last non-blank line of the section, so that
  // blank lines separating it from the next section stay where they are.
  std::size_t at = e;
  while (at > b && trim(lines_[at - 1].raw).empty()) --at;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                parseLine(text::utf8ToCp1251(trim(key)) + "=" + stored));
  return true;
}

bool IniDocument::eraseSection(std::string_view section) {
  const std::string secUpper = upperName(section);
  bool changed = false;
  for (std::size_t i = 0; i < lines_.size();) {
    if (lines_[i].kind == Kind::Section && lines_[i].upper == secUpper) {
      const std::size_t e = sectionEnd(i + 1);
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i), lines_.begin() + static_cast<std::ptrdiff_t>(e));
      changed = true;
    } else {
      ++i;
    }
  }
  return changed;
}

bool IniDocument::eraseKey(std::string_view section, std::string_view key) {
  const std::string secUpper = upperName(section);
  const std::string keyUpper = upperName(key);
  bool changed = false;
  bool inSection = false;
  for (std::size_t i = 0; i < lines_.size();) {
    const Line& l = lines_[i];
    if (l.kind == Kind::Section) inSection = l.upper == secUpper;
    if (inSection && l.kind == Kind::Key && l.upper == keyUpper) {
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
      changed = true;
    } else {
      ++i;
    }
  }
  return changed;
}

}  // namespace kroyna::ini
