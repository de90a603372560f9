#pragma once

// A compound-file writer of its own for the tests, written from the format's
// published layout (version 3: 512-byte sectors, 64-byte mini sectors,
// streams under 4096 bytes in the mini stream) and sharing no code with the
// program's reader. Files it makes check that the program reads what
// another writer wrote.
//
// Siblings form a balanced binary search tree in the format's name order
// (shorter names first, then by upper-cased UTF-16), all nodes black.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace kroyna::testing::cfb {

struct Node {
  std::string name;  // UTF-8
  bool storage = true;
  std::string data;  // a stream's bytes
  std::vector<Node> children;
};

inline Node storage(std::string name, std::vector<Node> children = {}) {
  return Node{std::move(name), true, {}, std::move(children)};
}
inline Node stream(std::string name, std::string data) { return Node{std::move(name), false, std::move(data), {}}; }

namespace detail {

constexpr std::uint32_t kFree = 0xFFFFFFFF, kEnd = 0xFFFFFFFE, kFatSect = 0xFFFFFFFD, kNone = 0xFFFFFFFF;
constexpr std::size_t kSector = 512, kMini = 64, kCutoff = 4096;

inline std::u16string utf16(const std::string& s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    int extra;
    if (c < 0x80)
      cp = c, extra = 0;
    else if ((c >> 5) == 6)
      cp = c & 0x1F, extra = 1;
    else if ((c >> 4) == 14)
      cp = c & 0x0F, extra = 2;
    else
      cp = c & 0x07, extra = 3;
    ++i;
    for (int k = 0; k < extra && i < s.size(); ++k, ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

inline char16_t upper(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
  if (c >= 0x0430 && c <= 0x044F) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x0450 && c <= 0x045F) return static_cast<char16_t>(c - 0x50);
  return c;
}

inline bool nameLess(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return a.size() < b.size();
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upper(a[i]) != upper(b[i])) return upper(a[i]) < upper(b[i]);
  return false;
}

struct Entry {
  std::u16string name;
  std::uint8_t type = 0;  // 1 storage, 2 stream, 5 root
  std::uint32_t left = kNone, right = kNone, child = kNone;
  std::uint32_t start = kEnd;
  std::uint32_t size = 0;
  const std::string* data = nullptr;
};

inline void put32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
inline std::uint32_t get32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}
inline void put16(std::string& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}

class Builder {
 public:
  std::vector<Entry> entries;

  // Adds the node's children below entry `parent`; returns nothing.
  void addChildren(const Node& node, std::size_t parent) {
    std::vector<std::pair<std::u16string, const Node*>> kids;
    for (const Node& c : node.children) kids.emplace_back(utf16(c.name), &c);
    std::sort(kids.begin(), kids.end(), [](const auto& a, const auto& b) { return nameLess(a.first, b.first); });
    std::vector<std::uint32_t> ids;
    for (const auto& [name, c] : kids) {
      Entry e;
      e.name = name;
      e.type = c->storage ? 1 : 2;
      e.data = c->storage ? nullptr : &c->data;
      ids.push_back(static_cast<std::uint32_t>(entries.size()));
      entries.push_back(e);
    }
    entries[parent].child = tree(ids, 0, ids.size());
    for (std::size_t i = 0; i < kids.size(); ++i)
      if (kids[i].second->storage) addChildren(*kids[i].second, ids[i]);
  }

 private:
  std::uint32_t tree(const std::vector<std::uint32_t>& ids, std::size_t from, std::size_t to) {
    if (from >= to) return kNone;
    const std::size_t mid = (from + to) / 2;
    entries[ids[mid]].left = tree(ids, from, mid);
    entries[ids[mid]].right = tree(ids, mid + 1, to);
    return ids[mid];
  }
};

inline std::size_t sectorsFor(std::size_t bytes, std::size_t unit) { return (bytes + unit - 1) / unit; }

}  // namespace detail

// The bytes of a compound file whose root storage holds `root`'s children.
inline std::string build(const Node& root) {
  using namespace detail;
  Builder b;
  Entry rootEntry;
  rootEntry.name = u"Root Entry";
  rootEntry.type = 5;
  b.entries.push_back(rootEntry);
  b.addChildren(root, 0);
  std::vector<Entry>& entries = b.entries;

  // Mini stream: small streams, each on whole mini sectors, one after another.
  std::vector<std::uint32_t> miniFat;
  std::string miniStream;
  for (Entry& e : entries) {
    if (e.type != 2) continue;
    e.size = static_cast<std::uint32_t>(e.data->size());
    if (e.data->empty() || e.data->size() >= kCutoff) continue;
    const std::size_t n = sectorsFor(e.data->size(), kMini);
    e.start = static_cast<std::uint32_t>(miniFat.size());
    for (std::size_t i = 0; i < n; ++i)
      miniFat.push_back(i + 1 < n ? static_cast<std::uint32_t>(miniFat.size() + 1) : kEnd);
    std::string chunk = *e.data;
    chunk.resize(n * kMini, '\0');
    miniStream += chunk;
  }
  const std::size_t dirSectors = sectorsFor(entries.size() * 128, kSector);
  const std::size_t miniFatSectors = sectorsFor(miniFat.size() * 4, kSector);
  const std::size_t miniStreamSectors = sectorsFor(miniStream.size(), kSector);
  std::size_t bigSectors = 0;
  for (const Entry& e : entries)
    if (e.type == 2 && e.data->size() >= kCutoff) bigSectors += sectorsFor(e.data->size(), kSector);
  const std::size_t others = dirSectors + miniFatSectors + miniStreamSectors + bigSectors;
  std::size_t fatSectors = 1;
  while (fatSectors * (kSector / 4) < fatSectors + others) ++fatSectors;

  std::vector<std::uint32_t> fat(fatSectors * (kSector / 4), kFree);
  std::size_t next = 0;
  auto chain = [&](std::size_t count) {
    const std::size_t first = next;
    for (std::size_t i = 0; i < count; ++i, ++next)
      fat[next] = i + 1 < count ? static_cast<std::uint32_t>(next + 1) : kEnd;
    return count ? static_cast<std::uint32_t>(first) : kEnd;
  };
  for (std::size_t i = 0; i < fatSectors; ++i) fat[next++] = kFatSect;
  const std::uint32_t dirStart = chain(dirSectors);
  const std::uint32_t miniFatStart = chain(miniFatSectors);
  const std::uint32_t miniStreamStart = chain(miniStreamSectors);
  entries[0].start = miniStream.empty() ? kEnd : miniStreamStart;
  entries[0].size = static_cast<std::uint32_t>(miniStream.size());
  std::vector<const Entry*> big;
  for (Entry& e : entries)
    if (e.type == 2 && e.data->size() >= kCutoff) {
      e.start = chain(sectorsFor(e.data->size(), kSector));
      big.push_back(&e);
    }

  std::string header(kSector, '\0');
  const unsigned char magic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  for (int i = 0; i < 8; ++i) header[i] = static_cast<char>(magic[i]);
  put16(header, 0x18, 0x003E);
  put16(header, 0x1A, 0x0003);
  put16(header, 0x1C, 0xFFFE);
  put16(header, 0x1E, 9);
  put16(header, 0x20, 6);
  put32(header, 0x2C, static_cast<std::uint32_t>(fatSectors));
  put32(header, 0x30, dirStart);
  put32(header, 0x38, kCutoff);
  put32(header, 0x3C, miniFat.empty() ? kEnd : miniFatStart);
  put32(header, 0x40, static_cast<std::uint32_t>(miniFatSectors));
  put32(header, 0x44, kEnd);
  for (std::size_t i = 0; i < 109; ++i)
    put32(header, 0x4C + 4 * i, i < fatSectors ? static_cast<std::uint32_t>(i) : kFree);

  std::string body;
  auto appendPadded = [&](std::string bytes) {
    bytes.resize(sectorsFor(bytes.size(), kSector) * kSector, '\0');
    body += bytes;
  };
  std::string fatBytes(fat.size() * 4, '\0');
  for (std::size_t i = 0; i < fat.size(); ++i) put32(fatBytes, 4 * i, fat[i]);
  appendPadded(fatBytes);
  std::string dir(dirSectors * kSector, '\0');
  for (std::size_t i = 0; i < dirSectors * 4; ++i) {
    const std::size_t at = i * 128;
    put32(dir, at + 0x44, kNone);
    put32(dir, at + 0x48, kNone);
    put32(dir, at + 0x4C, kNone);
    if (i >= entries.size()) continue;
    const Entry& e = entries[i];
    for (std::size_t k = 0; k < e.name.size() && k < 31; ++k) put16(dir, at + 2 * k, e.name[k]);
    put16(dir, at + 0x40, static_cast<std::uint16_t>((std::min<std::size_t>(e.name.size(), 31) + 1) * 2));
    dir[at + 0x42] = static_cast<char>(e.type);
    dir[at + 0x43] = 1;
    put32(dir, at + 0x44, e.left);
    put32(dir, at + 0x48, e.right);
    put32(dir, at + 0x4C, e.child);
    put32(dir, at + 0x74, e.type == 1 ? 0 : e.start);
    put32(dir, at + 0x78, e.type == 1 ? 0 : e.size);
  }
  body += dir;
  if (!miniFat.empty()) {
    std::string mf(miniFatSectors * kSector, '\xFF');
    for (std::size_t i = 0; i < miniFat.size(); ++i) put32(mf, 4 * i, miniFat[i]);
    body += mf;
  }
  if (!miniStream.empty()) appendPadded(miniStream);
  for (const Entry* e : big) appendPadded(*e->data);
  return header + body;
}

}  // namespace kroyna::testing::cfb
