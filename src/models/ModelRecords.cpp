#include "models/ModelRecords.h"

#include "platform/text/Cp1251.h"

#include <algorithm>

namespace kroyna::models {

namespace {

class RecordWriter {
 public:
  void integer(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) out_ += static_cast<char>((u >> (8 * i)) & 0xFF);
  }
  void text(std::string_view utf8, const char* field) {
    if (std::string why = checkRecordText(utf8); !why.empty()) throw RecordError(std::string(field) + ": " + why);
    const std::string bytes = text::utf8ToCp1251(utf8);
    out_ += static_cast<char>(bytes.size() & 0xFF);
    out_ += static_cast<char>(bytes.size() >> 8);
    out_ += bytes;
    out_ += '\0';
  }
  std::string take() { return std::move(out_); }

 private:
  std::string out_;
};

// Every field is checked against the bytes left before it is taken.
class RecordReader {
 public:
  explicit RecordReader(std::string_view bytes) : bytes_(bytes) {}

  std::int32_t integer(const char* field) {
    need(4, field);
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[at_ + i])) << (8 * i);
    at_ += 4;
    return static_cast<std::int32_t>(u);
  }
  std::string text(const char* field) {
    need(2, field);
    const std::size_t n = static_cast<unsigned char>(bytes_[at_]) | (static_cast<unsigned char>(bytes_[at_ + 1]) << 8);
    at_ += 2;
    if (n + 1 > bytes_.size() - at_)
      throw RecordError("поле " + std::string(field) + ": длина строки " + std::to_string(n) + " больше оставшихся " +
                        std::to_string(bytes_.size() - at_) + " байт записи");
    std::string value = text::cp1251ToUtf8(bytes_.substr(at_, n));
    at_ += n + 1;  // the text and its final zero
    return value;
  }

 private:
  void need(std::size_t n, const char* field) const {
    if (n > bytes_.size() - at_)
      throw RecordError("поле " + std::string(field) + ": запись кончается на " + std::to_string(bytes_.size()) +
                        "-м байте");
  }

  std::string_view bytes_;
  std::size_t at_ = 0;
};

}  // namespace

std::string checkRecordText(std::string_view utf8) {
  if (!text::fitsCp1251(utf8)) return "знаки, которых нет в кодировке Windows-1251";
  if (text::utf8ToCp1251(utf8).size() > kMaxRecordText) return "длиннее " + std::to_string(kMaxRecordText) + " знаков";
  return {};
}

std::string encodeSection(const ModelSection& section) {
  RecordWriter w;
  w.text(section.name, "Name");
  w.integer(section.reserved);
  w.text(section.storageName, "StorageName");
  return w.take();
}

ModelSection decodeSection(std::string_view bytes) {
  RecordReader r(bytes);
  ModelSection s;
  s.name = r.text("Name");
  s.reserved = r.integer("reserved");
  s.storageName = r.text("StorageName");
  return s;
}

std::string encodeModel(const ModelInfo& model) {
  RecordWriter w;
  w.text(model.name, "Name");
  w.integer(model.count);
  w.text(model.tableName, "TableName");
  w.integer(model.reserved);
  w.text(model.streamName, "StreamName");
  return w.take();
}

ModelInfo decodeModel(std::string_view bytes) {
  RecordReader r(bytes);
  ModelInfo m;
  m.name = r.text("Name");
  m.count = r.integer("Count");
  m.tableName = r.text("TableName");
  m.reserved = r.integer("reserved");
  m.streamName = r.text("StreamName");
  return m;
}

std::string overwriteStart(std::string bytes, const std::string& record) {
  if (bytes.size() < record.size()) bytes.resize(record.size());
  std::copy(record.begin(), record.end(), bytes.begin());
  return bytes;
}

std::string firstFreeName(std::string_view prefix, const std::vector<std::string>& taken) {
  for (std::size_t n = 1;; ++n) {
    const std::string candidate = std::string(prefix) + std::to_string(n);
    if (std::none_of(taken.begin(), taken.end(),
                     [&](const std::string& t) { return text::equalsIgnoreCase(t, candidate); }))
      return candidate;
  }
}

std::string newStorageName(const ModelSectionList& sections, NameOrigin origin) {
  std::vector<std::string> taken;
  for (const ModelSection& s : sections) taken.push_back(s.storageName);
  return firstFreeName(origin == NameOrigin::User ? "ModelSection" : "imModelSection", taken);
}

std::string newStreamName(const std::vector<ModelInfo>& models, NameOrigin origin) {
  std::vector<std::string> taken;
  for (const ModelInfo& m : models) taken.push_back(m.streamName);
  return firstFreeName(origin == NameOrigin::User ? "Model" : "imModel", taken);
}

int findSection(const ModelSectionList& sections, std::string_view name) {
  for (std::size_t i = 0; i < sections.size(); ++i)
    if (sections[i].name == name) return static_cast<int>(i);
  return -1;
}

std::string foldModelName(std::string_view utf8) {
  // Folded in the models base's own code page, where every letter of a
  // name is one byte; a name that does not fit it keeps its other letters.
  std::string bytes = text::fitsCp1251(utf8) ? text::utf8ToCp1251(utf8) : std::string(utf8);
  for (char& ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    unsigned char upper = c;
    if (c >= 'a' && c <= 'z')
      upper = static_cast<unsigned char>(c - 'a' + 'A');
    else if (c >= 0xE0)
      upper = static_cast<unsigned char>(c - 0x20);  // а..я
    else if (c == 0xB8)
      upper = 0xA8;  // ё
    else if (c == 0xB3)
      upper = 0xB2;  // і
    else if (c == 0xBA)
      upper = 0xAA;  // є
    else if (c == 0xBF)
      upper = 0xAF;  // ї
    else if (c == 0xA2)
      upper = 0xA1;  // ў
    else if (c == 0xB4)
      upper = 0xA5;  // ґ
    ch = static_cast<char>(upper);
  }
  return bytes;
}

std::optional<ModelRef> findModel(const ModelSectionList& sections, std::string_view name) {
  const std::string folded = foldModelName(name);
  for (std::size_t s = 0; s < sections.size(); ++s)
    for (std::size_t m = 0; m < sections[s].models.size(); ++m)
      if (foldModelName(sections[s].models[m].name) == folded)
        return ModelRef{static_cast<int>(s), static_cast<int>(m)};
  return std::nullopt;
}

}  // namespace kroyna::models
