#pragma once

// A program folder for warehouse tests: the shipped Pattern/ templates, an
// empty Sheets/ and Temp/, a materials table with a few materials, and a
// data module over it.

#include "common/Messages.h"
#include "platform/dbase/FileOps.h"
#include "platform/dbase/Statements.h"
#include "platform/dbase/Table.h"
#include "support/TempDir.h"
#include "warehouse/MaterialDirectory.h"
#include "warehouse/StockModule.h"

#include <QStringList>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kroyna::testing {

struct OffcutSpec {
  std::string name;
  int length = 0;
  int width = 0;
  int many = 1;
  int code = 0;
  dbase::Date date{2005, 3, 1};
};

class StockFolder {
 public:
  StockFolder() {
    namespace fs = std::filesystem;
    for (const char* d : {"Pattern", "Sheets", "Temp"}) fs::create_directories(dir.path() / d);
    for (const auto& e : fs::directory_iterator(fs::path(KROYNA_SOURCE_DATA_DIR) / "Pattern"))
      fs::copy_file(e.path(), dir.path() / "Pattern" / e.path().filename());
    dbase::createFromTemplate(dir.path() / "Pattern", "Types.dbf", typesPath());
    addMaterial(3, "ДСП 16 белый");
    addMaterial(4, "МДФ 10");
    addMaterial(5, "ДВП 3");
    materials = std::make_unique<warehouse::TableMaterials>(typesPath());
  }

  std::filesystem::path root() const { return dir.path(); }
  std::filesystem::path typesPath() const { return dir.path() / "Sheets" / "Types.dbf"; }
  std::filesystem::path stored(warehouse::StockKind k) const {
    return dir.path() / "Sheets" / (k == warehouse::StockKind::Sheets ? "Sheets.dbf" : "Scraps.dbf");
  }

  void addMaterial(int code, const std::string& name) {
    dbase::insertValues(typesPath(), {dbase::Value(name), dbase::Value(code)});
  }

  // Rows written to the stored tables (before the module makes its copies).
  void storeSheet(int length, int width, int many, int code) {
    ensureStored(warehouse::StockKind::Sheets);
    dbase::insertValues(stored(warehouse::StockKind::Sheets),
                        {dbase::Value(length), dbase::Value(width), dbase::Value(many), dbase::Value(code)});
  }
  void storeOffcut(const OffcutSpec& o) {
    ensureStored(warehouse::StockKind::Scraps);
    dbase::insertValues(stored(warehouse::StockKind::Scraps),
                        {dbase::Value(o.name), dbase::Value(o.length), dbase::Value(o.width), dbase::Value(o.many),
                         dbase::Value(o.code), dbase::Value(o.date)});
  }

  // A data module with both working copies made and every material shown.
  std::unique_ptr<warehouse::StockModule> openModule() {
    auto m = std::make_unique<warehouse::StockModule>(root(), *materials);
    m->makeWorkingCopy(warehouse::StockKind::Sheets);
    m->makeWorkingCopy(warehouse::StockKind::Scraps);
    m->selectMaterial(kAllMaterials, {});
    return m;
  }

  TempDir dir;
  std::unique_ptr<warehouse::TableMaterials> materials;

 private:
  void ensureStored(warehouse::StockKind k) {
    if (!dbase::fileExists(stored(k)))
      dbase::createFromTemplate(dir.path() / "Pattern", k == warehouse::StockKind::Sheets ? "Sheets.dbf" : "Scraps.dbf",
                                stored(k));
  }
};

// Every row of a table file, as display texts, in physical order.
inline std::vector<std::vector<std::string>> rowsOf(const std::filesystem::path& file) {
  std::vector<std::vector<std::string>> out;
  const dbase::RowSource src(file);
  for (const dbase::Row& r : src.rows()) {
    std::vector<std::string> texts;
    for (const dbase::Value& v : r) texts.push_back(v.toString());
    out.push_back(texts);
  }
  return out;
}

// Answers the questions in order and records every message.
struct Answers {
  explicit Answers(std::deque<common::MsgResult> replies = {})
      : replies(std::move(replies)), handler([this](const QString& text, common::MsgIcon, common::MsgButtons) {
          shown << text;
          if (this->replies.empty()) return common::MsgResult::Ok;
          const common::MsgResult r = this->replies.front();
          this->replies.pop_front();
          return r;
        }) {}
  std::deque<common::MsgResult> replies;
  QStringList shown;
  common::ScopedMessageHandler handler;
};

}  // namespace kroyna::testing
