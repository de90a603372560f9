#pragma once

// A program folder for catalogue tests: Pattern/ with the shipped
// templates, Sheets/ and Temp/, a Kroyna.ini, and a Catalogues object on
// them. Message boxes are recorded instead of shown.

#include "catalogues/CatalogueTables.h"
#include "catalogues/Catalogues.h"
#include "common/Messages.h"
#include "platform/dbase/FileOps.h"
#include "platform/dbase/Statements.h"
#include "platform/dbase/Table.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Cp1251.h"
#include "support/TempDir.h"

#include <QString>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kroyna::catalogues::testing {

namespace fs = std::filesystem;
using kroyna::testing::readBytes;
using kroyna::testing::TempDir;
using kroyna::testing::writeBytes;

struct Shown {
  QString text;
  common::MsgIcon icon;
};

class CatalogueFixture {
 public:
  CatalogueFixture()
      : messages_([this](const QString& text, common::MsgIcon icon, common::MsgButtons buttons) {
          shown.push_back({text, icon});
          if (buttons == common::MsgButtons::Ok) return common::MsgResult::Ok;
          return answer;
        }) {
    for (const char* d : {"Pattern", "Sheets", "Temp", "ext"}) fs::create_directories(dir.path() / d);
    for (const char* t : {"Types.dbf", "Borders.dbf"}) {
      fs::copy_file(fs::path(KROYNA_SOURCE_DATA_DIR) / "Pattern" / t, dir.path() / "Pattern" / t);
    }
    ini = std::make_unique<ini::IniFile>(dir.path() / "Kroyna.ini");
    catalogues = std::make_unique<Catalogues>(QString::fromStdString(dir.path().string()), *ini);
  }

  CataloguePaths paths() const { return CataloguePaths{dir.path()}; }
  fs::path ext() const { return dir.path() / "ext"; }

  // Writes an INI file of the companion program: UTF-8 text stored in
  // code page 1251, CRLF line ends.
  void writeCp1251(const fs::path& file, const std::string& utf8) {
    std::string crlf;
    for (char c : utf8) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    writeBytes(file, text::utf8ToCp1251(crlf));
  }

  void setExternal(const fs::path& folder) {
    ini->writeInt("MatBaseChange", "BaseType", 1);
    ini->writeString("MatBaseChange", "BasePath", folder.string());
  }

  // Adds rows to a catalogue table (made from its template when missing).
  void addMaterials(const fs::path& table, const std::vector<std::pair<std::string, int>>& rows) {
    if (!fs::exists(table)) dbase::createFromTemplate(paths().pattern(), "Types.dbf", table);
    dbase::Table t = dbase::Table::open(table, {.cachedUpdates = true});
    for (const auto& [name, code] : rows) {
      t.append();
      t.setRow({dbase::Value(name), dbase::Value(code)});
      t.post();
    }
    t.applyUpdates();
  }
  struct Edge {
    int code;
    std::string name;
    int colour;
    int allowance;
  };
  void addEdges(const fs::path& table, const std::vector<Edge>& rows) {
    if (!fs::exists(table)) dbase::createFromTemplate(paths().pattern(), "Borders.dbf", table);
    dbase::Table t = dbase::Table::open(table, {.cachedUpdates = true});
    for (const auto& e : rows) {
      t.append();
      t.setRow({dbase::Value(e.code), dbase::Value(e.name), dbase::Value(e.colour), dbase::Value(e.allowance)});
      t.post();
    }
    t.applyUpdates();
  }

  QStringList shownTexts() const {
    QStringList out;
    for (const auto& s : shown) out << s.text;
    return out;
  }

  TempDir dir;
  std::vector<Shown> shown;
  common::MsgResult answer = common::MsgResult::Yes;
  std::unique_ptr<ini::IniFile> ini;
  std::unique_ptr<Catalogues> catalogues;

 private:
  common::ScopedMessageHandler messages_;
};

}  // namespace kroyna::catalogues::testing
