#include "platform/compound/CompoundFile.h"

#include "platform/file/ReadFile.h"
#include "platform/file/SafeFile.h"
#include "platform/text/Cp1251.h"

// glib and libgsf stay in this file.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>

namespace kroyna::compound {

namespace {

std::string describe(const std::string& file, const std::string& reason) {
  return "Составной файл \"" + file + "\": " + reason;
}

// libgsf reports what it finds wrong in a file (failed checks included)
// through glib's log as well as through the calls that fail; the failures
// are reported here, so the log lines are dropped.
void ignoreLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

void initLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    gsf_init();
    const auto levels = static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE |
                                                    G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG);
    for (const char* domain : {"libgsf:msole", "libgsf"}) g_log_set_handler(domain, levels, ignoreLog, nullptr);
  });
}

// libgsf's generic reader logs a child it cannot open in glib's default
// domain; that domain is quietened only while a file is read.
class QuietDefaultDomain {
 public:
  QuietDefaultDomain()
      : id_(g_log_set_handler(nullptr, static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING),
                              ignoreLog, nullptr)) {}
  ~QuietDefaultDomain() { g_log_remove_handler(nullptr, id_); }
  QuietDefaultDomain(const QuietDefaultDomain&) = delete;
  QuietDefaultDomain& operator=(const QuietDefaultDomain&) = delete;

 private:
  guint id_;
};

// Owns one reference of a GObject.
template <class T>
class Ref {
 public:
  explicit Ref(T* p = nullptr) : p_(p) {}
  ~Ref() {
    if (p_) g_object_unref(p_);
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  T* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_;
};

class ErrorText {
 public:
  ~ErrorText() {
    if (error_) g_error_free(error_);
  }
  GError** out() { return &error_; }
  std::string text(const std::string& fallback) const {
    return error_ && error_->message && *error_->message ? std::string(error_->message) : fallback;
  }

 private:
  GError* error_ = nullptr;
};

struct Reader {
  const std::string& shownName;
  const ReadLimits& limits;
  std::size_t fileSize = 0;
  std::size_t elements = 0;
  std::size_t streamBytes = 0;

  [[noreturn]] void damaged(const std::string& reason) const {
    throw CompoundError(shownName, "файл повреждён: " + reason);
  }

  void readStorage(GsfInfile* storage, Element& into, const std::string& where, std::size_t depth) {
    if (depth > limits.maxDepth) damaged("вложенность хранилищ больше " + std::to_string(limits.maxDepth));
    if (GSF_IS_INFILE_MSOLE(storage)) gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(storage), into.classId.data());
    const int count = gsf_infile_num_children(storage);
    if (count < 0) damaged("хранилище \"" + where + "\" не читается");
    for (int i = 0; i < count; ++i) {
      if (++elements > limits.maxElements) damaged("элементов больше " + std::to_string(limits.maxElements));
      const char* rawName = gsf_infile_name_by_index(storage, i);
      const std::string name = rawName ? rawName : "";
      const std::string path = where.empty() ? name : where + "/" + name;
      if (std::string why = checkName(name); !why.empty()) damaged("имя элемента \"" + path + "\": " + why);
      Ref<GsfInput> child(gsf_infile_child_by_index(storage, i));
      if (!child) damaged("элемент \"" + path + "\" не читается");
      for (const Element& seen : into.children)
        if (sameName(seen.name, name)) damaged("два элемента с именем \"" + path + "\"");
      const bool isStorage = GSF_IS_INFILE(child.get()) && gsf_infile_num_children(GSF_INFILE(child.get())) >= 0;
      if (isStorage) {
        Element sub = Element::storage(name);
        readStorage(GSF_INFILE(child.get()), sub, path, depth + 1);
        into.children.push_back(std::move(sub));
      } else {
        into.children.push_back(Element::stream(name, readStream(child.get(), path)));
      }
    }
  }

  std::string readStream(GsfInput* input, const std::string& path) {
    const gsf_off_t size = gsf_input_size(input);
    // The streams of a sound file together never hold more bytes than the
    // file itself.
    if (size < 0 || static_cast<std::size_t>(size) > fileSize - std::min(fileSize, streamBytes))
      damaged("поток \"" + path + "\" длиннее самого файла");
    streamBytes += static_cast<std::size_t>(size);
    std::string data(static_cast<std::size_t>(size), '\0');
    std::size_t done = 0;
    while (done < data.size()) {
      const std::size_t step = std::min<std::size_t>(data.size() - done, 1 << 16);
      if (!gsf_input_read(input, step, reinterpret_cast<guint8*>(data.data() + done)))
        damaged("поток \"" + path + "\" не читается");
      done += step;
    }
    return data;
  }
};

void writeStorage(GsfOutfile* out, const Element& storage, const std::string& shownName, const std::string& where) {
  if (GSF_IS_OUTFILE_MSOLE(out)) {
    static const std::array<std::uint8_t, 16> zero{};
    if (storage.classId != zero) gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(out), storage.classId.data());
  }
  for (std::size_t i = 0; i < storage.children.size(); ++i) {
    const Element& e = storage.children[i];
    const std::string path = where.empty() ? e.name : where + "/" + e.name;
    if (std::string why = checkName(e.name); !why.empty())
      throw CompoundError(shownName, "имя элемента \"" + path + "\": " + why);
    for (std::size_t j = 0; j < i; ++j)
      if (sameName(storage.children[j].name, e.name))
        throw CompoundError(shownName, "два элемента с именем \"" + path + "\"");
    Ref<GsfOutput> child(gsf_outfile_new_child(out, e.name.c_str(), e.isStorage()));
    if (!child) throw CompoundError(shownName, "не удалось создать элемент \"" + path + "\"");
    if (e.isStorage()) {
      writeStorage(GSF_OUTFILE(child.get()), e, shownName, path);
    } else if (!e.data.empty() &&
               !gsf_output_write(child.get(), e.data.size(), reinterpret_cast<const guint8*>(e.data.data()))) {
      throw CompoundError(shownName, "не удалось записать поток \"" + path + "\"");
    }
    if (!gsf_output_close(child.get())) throw CompoundError(shownName, "не удалось записать элемент \"" + path + "\"");
  }
}

}  // namespace

CompoundError::CompoundError(std::string file, std::string reason)
    : std::runtime_error(describe(file, reason)), file_(std::move(file)), reason_(std::move(reason)) {}

Element Element::storage(std::string name) {
  Element e;
  e.name = std::move(name);
  e.kind = Kind::Storage;
  return e;
}

Element Element::stream(std::string name, std::string data) {
  Element e;
  e.name = std::move(name);
  e.kind = Kind::Stream;
  e.data = std::move(data);
  return e;
}

Element* Element::child(std::string_view childName) {
  for (Element& c : children)
    if (sameName(c.name, childName)) return &c;
  return nullptr;
}

const Element* Element::child(std::string_view childName) const {
  for (const Element& c : children)
    if (sameName(c.name, childName)) return &c;
  return nullptr;
}

Element& Element::put(Element element) {
  if (Element* existing = child(element.name)) {
    *existing = std::move(element);
    return *existing;
  }
  children.push_back(std::move(element));
  return children.back();
}

bool Element::remove(std::string_view childName) {
  const auto it =
      std::find_if(children.begin(), children.end(), [&](const Element& c) { return sameName(c.name, childName); });
  if (it == children.end()) return false;
  children.erase(it);
  return true;
}

bool sameName(std::string_view a, std::string_view b) { return text::equalsIgnoreCase(a, b); }

std::string checkName(std::string_view name) {
  if (name.empty()) return "пустое имя";
  // UTF-16 code units: the format keeps 31 of them and the final zero.
  std::size_t units = 0;
  for (unsigned char c : name) {
    if ((c & 0xC0) != 0x80) units += (c >= 0xF0) ? 2 : 1;
  }
  if (units > 31) return "длиннее 31 знака";
  if (name.find_first_of("/\\:!") != std::string_view::npos) return "знаки / \\ : ! недопустимы";
  return {};
}

namespace {

std::uint32_t le32(std::string_view bytes, std::uint64_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

// The root entry of a compound file has no siblings. libgsf reads siblings
// it finds there as entries of no storage and never frees them, so such a
// file is refused before libgsf sees it. Whatever cannot be checked here
// (a header or directory outside the file) libgsf refuses itself.
bool rootHasSiblings(std::string_view bytes) {
  constexpr std::uint64_t kHeaderSize = 512, kNoEntry = 0xFFFFFFFF;
  if (bytes.size() < kHeaderSize) return false;
  const unsigned shift = static_cast<unsigned char>(bytes[0x1E]) | (static_cast<unsigned char>(bytes[0x1F]) << 8);
  if (shift < 6 || shift >= 31) return false;
  const std::uint64_t sector = std::uint64_t{1} << shift;
  const std::uint64_t root = std::max(kHeaderSize, sector) + (std::uint64_t{le32(bytes, 0x30)} << shift);
  if (root + 0x4C > bytes.size()) return false;
  return le32(bytes, root + 0x44) != kNoEntry || le32(bytes, root + 0x48) != kNoEntry;
}

}  // namespace

Element readBytes(std::string_view bytes, const std::string& shownName, const ReadLimits& limits) {
  if (rootHasSiblings(bytes))
    throw CompoundError(shownName, "файл повреждён: у корневого хранилища есть соседние элементы");
  initLibrary();
  QuietDefaultDomain quiet;
  Ref<GsfInput> input(
      gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()), static_cast<gsf_off_t>(bytes.size()), FALSE));
  if (!input) throw CompoundError(shownName, "не удалось прочитать файл");
  ErrorText error;
  Ref<GsfInfile> root(gsf_infile_msole_new(input.get(), error.out()));
  if (!root)
    throw CompoundError(shownName, "это не составной файл или он повреждён (" + error.text("нет подробностей") + ")");
  Reader reader{shownName, limits};
  reader.fileSize = bytes.size();
  Element tree = Element::storage("Root Entry");
  reader.readStorage(root.get(), tree, "", 0);
  return tree;
}

Element readFile(const std::filesystem::path& file, const ReadLimits& limits) {
  platform::ReadFailure why;
  const std::optional<std::string> bytes = platform::readWholeFile(file, why);
  if (bytes) return readBytes(*bytes, file.string(), limits);
  if (why.kind == platform::ReadFailure::Kind::CannotRead)
    throw CompoundError(file.string(), "не удалось прочитать файл");
  throw CompoundError(file.string(), "не удалось открыть файл: " + why.reason());
}

std::string toBytes(const Element& root, const std::string& shownName) {
  initLibrary();
  Ref<GsfOutput> sink(gsf_output_memory_new());
  Ref<GsfOutfile> file(gsf_outfile_msole_new(sink.get()));
  if (!file) throw CompoundError(shownName, "не удалось начать запись");
  writeStorage(file.get(), root, shownName, "");
  if (!gsf_output_close(GSF_OUTPUT(file.get()))) throw CompoundError(shownName, "не удалось завершить запись");
  const gsf_off_t size = gsf_output_size(sink.get());
  const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
  if (size < 0 || (size > 0 && !data)) throw CompoundError(shownName, "не удалось завершить запись");
  return std::string(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size));
}

void writeFile(const std::filesystem::path& file, const Element& root) {
  const std::string bytes = toBytes(root, file.string());
  try {
    platform::writeFileAtomically(file, bytes);
  } catch (const platform::FileError& e) {
    throw CompoundError(file.string(), e.reason());
  }
}

}  // namespace kroyna::compound
