#pragma once

#include "common/Messages.h"
#include "models/ModelsBase.h"
#include "parts/GroupFiles.h"
#include "parts/PartsDocument.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Cp1251.h"
#include "support/CommandOutput.h"
#include "support/TempDir.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// Texts in test failures as text.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace kroyna::models::testing {

namespace fs = std::filesystem;
using kroyna::testing::readBytes;
using kroyna::testing::TempDir;
using kroyna::testing::writeBytes;

inline const fs::path kShippedPattern = fs::path(KROYNA_SOURCE_DATA_DIR) / "Pattern";

// A program folder with what the models base uses: Models.dat copied from
// the shipped template, Pattern/Group.dbf and Pattern/Models.dat, Catalog/,
// Temp/, Export/ and Reports/ModelsList.frf.
class ModelsRoot {
 public:
  ModelsRoot() {
    for (const char* d : {"Pattern", "Catalog", "Temp", "Export", "Reports"}) fs::create_directories(dir_ / d);
    for (const char* f : {"Group.dbf", "Models.dat"}) fs::copy_file(kShippedPattern / f, dir_ / "Pattern" / f);
    fs::copy_file(kShippedPattern / "Models.dat", dir_ / "Models.dat");
    fs::copy_file(fs::path(KROYNA_SOURCE_DATA_DIR) / "Reports" / "ModelsList.frf", dir_ / "Reports" / "ModelsList.frf");
  }
  const fs::path& path() const { return dir_.path(); }
  fs::path operator/(std::string_view name) const { return dir_ / name; }
  fs::path modelsFile() const { return dir_ / "Models.dat"; }

 private:
  TempDir dir_;
};

// A counted string of a record: length, the code page 1251 bytes, 0.
inline std::string counted(const std::string& utf8) {
  const std::string bytes = text::utf8ToCp1251(utf8);
  return std::string{static_cast<char>(bytes.size() & 0xFF), static_cast<char>(bytes.size() >> 8)} + bytes +
         std::string(1, '\0');
}
inline std::string int32(std::int32_t v) {
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
  return out;
}
inline std::string hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// Records every message; questions take the queued answers, then Yes.
struct Messages {
  QStringList texts;
  std::deque<common::MsgResult> answers;
  common::ScopedMessageHandler handler{[this](const QString& text, common::MsgIcon, common::MsgButtons buttons) {
    texts << text;
    if (buttons == common::MsgButtons::Ok) return common::MsgResult::Ok;
    if (answers.empty()) return common::MsgResult::Yes;
    const common::MsgResult a = answers.front();
    answers.pop_front();
    return a;
  }};
};

// Parts windows as bare documents: the shown ones are kept for the test.
class TestPartsHost : public PartsHost {
 public:
  TestPartsHost(QString root, ini::IniFile& settings) : root_(std::move(root)), settings_(settings) {}
  parts::PartsDocument* newDocument() override {
    pending_.push_back(std::make_unique<parts::PartsDocument>(root_, settings_));
    return pending_.back().get();
  }
  void show(parts::PartsDocument* doc) override { shown.push_back(take(doc)); }
  void discard(parts::PartsDocument* doc) override {
    take(doc).reset();
    ++discarded;
  }
  std::vector<std::unique_ptr<parts::PartsDocument>> shown;
  int discarded = 0;

 private:
  std::unique_ptr<parts::PartsDocument> take(parts::PartsDocument* doc) {
    for (auto it = pending_.begin(); it != pending_.end(); ++it)
      if (it->get() == doc) {
        std::unique_ptr<parts::PartsDocument> d = std::move(*it);
        pending_.erase(it);
        return d;
      }
    return nullptr;
  }
  QString root_;
  ini::IniFile& settings_;
  std::vector<std::unique_ptr<parts::PartsDocument>> pending_;
};

inline parts::PartRow part(const std::string& name, int length, int width, int quantity, int material = 1) {
  return parts::PartRow{name, length, width, quantity, 0, 0, 0, 0, 0, material, {}};
}

// A program folder with a models base open on it: sections and models are
// made straight in the files, the base is then (re)opened.
struct ModelsFixture {
  ModelsRoot root;
  ini::IniFile settings{root / "Kroyna.ini"};
  QString rootText = QString::fromStdString(root.path().string());
  ModelsPaths paths{rootText};
  TestPartsHost host{rootText, settings};
  ModelsFile file{root.modelsFile()};
  ModelsBase base{paths};

  ModelsFixture() {
    parts::PartsDocument::resetNewBaseCounter();
    base.ui().parts = &host;
  }
  // A model with its parts table Catalog/<table>.dbf.
  ModelInfo addModel(const std::string& storage, const std::string& name, const std::string& table,
                     const std::vector<parts::PartRow>& rows) {
    parts::writePartTable(paths.groupTemplate(), QString::fromStdString((root / "Catalog" / (table + ".dbf")).string()),
                          rows);
    return file.addModel(storage, ModelInfo{name, 0, table, 0, ""});
  }
  // The row of the list shown holding that model, or -1.
  int rowOf(const std::string& name) const {
    for (int r = 0; r < base.rowCount(); ++r)
      if (base.rowModel(r).name == name) return r;
    return -1;
  }
  // Shows the bar entry of that name.
  void show(const QString& entry) { base.showEntry(static_cast<int>(base.entryNames().indexOf(entry))); }
};

// Runs tests/models/olefile_interop.py with Debian's interpreter.
using PythonRun = kroyna::testing::CommandResult;
inline PythonRun olefile(const std::string& args) {
  const fs::path script = fs::path(KROYNA_TEST_DATA_DIR) / ".." / "models" / "olefile_interop.py";
  const std::string cmd = "PYTHONIOENCODING=utf-8 /usr/bin/python3 '" + script.string() + "' " + args + " 2>&1";
  return kroyna::testing::runCommand(cmd);
}

}  // namespace kroyna::models::testing

#define SKIP_WITHOUT_OLEFILE()                                                                            \
  do {                                                                                                    \
    if (!std::filesystem::exists("/usr/bin/python3")) GTEST_SKIP() << "no /usr/bin/python3";              \
    if (kroyna::models::testing::olefile("check").status == 3) GTEST_SKIP() << "python3-olefile missing"; \
  } while (false)
