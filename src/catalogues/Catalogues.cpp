#include "catalogues/Catalogues.h"

#include "catalogues/CatalogueEditors.h"
#include "catalogues/CatalogueTables.h"
#include "common/Messages.h"
#include "common/settings/SettingsKeys.h"
#include "platform/dbase/Statements.h"
#include "platform/file/ReadFile.h"
#include "platform/ini/IniFile.h"

#include <cmath>
#include <fstream>
#include <iterator>

namespace kroyna::catalogues {

namespace fs = std::filesystem;

namespace {

Catalogues* g_instance = nullptr;

// Decimal text of a whole number held in a numeric cell; empty for a
// blank cell.
QString wholeText(const dbase::Value& v) {
  if (v.isNumber()) return QString::fromStdString(dbase::wholeNumberText(v.number()));
  if (v.isText()) return QString::fromStdString(v.text()).trimmed();
  return {};
}

QString wholeTextOrZero(const dbase::Value& v) {
  const QString t = wholeText(v);
  return t.isEmpty() ? QStringLiteral("0") : t;
}

int toInt(const QString& text, int def) {
  bool ok = false;
  const int v = text.toInt(&ok);
  return ok ? v : def;
}

}  // namespace

int MaterialList::codeAt(int i) const {
  if (i < 0 || i >= codes.size()) return -1;
  return toInt(codes[i], -1);
}

int MaterialList::indexOfCode(int code) const { return static_cast<int>(codes.indexOf(QString::number(code))); }

int EdgeList::indexOfCode(int code) const { return static_cast<int>(codes.indexOf(QString::number(code))); }

Catalogues::Catalogues(QString dataRoot, ini::IniFile& settings, QObject* parent)
    : QObject(parent), dataRoot_(std::move(dataRoot)), settings_(settings) {
  edges_.codes = {QStringLiteral("0")};
  edges_.colors = {QString::number(kNoEdgeColor)};
  edges_.names = {QString::fromUtf8(kNoEdgeName)};
  edges_.allowances = {QStringLiteral("0")};
  g_instance = this;
}

Catalogues::~Catalogues() {
  if (g_instance == this) g_instance = nullptr;
}

Catalogues* Catalogues::instance() { return g_instance; }

QString Catalogues::materialsTablePath() const {
  const CataloguePaths paths{fs::path(dataRoot_.toStdString())};
  return QString::fromStdString((external_ ? paths.externalMaterials() : paths.localMaterials()).string());
}

QString Catalogues::edgesTablePath() const {
  const CataloguePaths paths{fs::path(dataRoot_.toStdString())};
  return QString::fromStdString((external_ ? paths.externalEdges() : paths.localEdges()).string());
}

bool Catalogues::ApplyCatalogueMode() {
  const int baseType = settings_.readInt("MatBaseChange", "BaseType", 0);
  const QString basePath = QString::fromStdString(settings_.readString("MatBaseChange", "BasePath"));
  const ModeOutcome out = applyCatalogueMode(CataloguePaths{fs::path(dataRoot_.toStdString())}, baseType, basePath);
  if (out.changed) external_ = out.external;
  for (const QString& w : out.warnings) common::showMessage(w, common::MsgIcon::Warning);
  for (const QString& e : out.errors) common::showError(e);
  return out.errors.empty();
}

struct Catalogues::MaterialRows {
  fs::path path;
  bool exists = false;
  std::string bytes;    // the file as it was read
  MaterialList byName;  // ordered by name
  QStringList names;    // table order
  QStringList codes;
};

const Catalogues::MaterialRows& Catalogues::materialRows() const {
  // The file is read at every call, but parsed and sorted only when its
  // bytes changed: saves within one tick of the file clock with the same
  // size (fixed-width records) would fool a check of time and size.
  auto rows = std::make_shared<MaterialRows>();
  rows->path = fs::path(materialsTablePath().toStdString());
  {
    platform::ReadFailure why;
    std::optional<std::string> bytes = platform::readWholeFile(rows->path, why);
    rows->exists = bytes.has_value();
    if (bytes) rows->bytes = std::move(*bytes);
  }
  if (materialRows_ && materialRows_->path == rows->path && materialRows_->exists == rows->exists &&
      materialRows_->bytes == rows->bytes) {
    return *materialRows_;
  }
  if (rows->exists) {
    try {
      rows->byName = readMaterialList(rows->path);
      const dbase::RowSource source(rows->path);
      const int nameField = dbase::findField(source.fields(), "MATERIAL");
      const int codeField = dbase::findField(source.fields(), "CODE");
      for (const dbase::Row& row : source.rows()) {
        rows->names << QString::fromStdString(row[nameField].toString());
        rows->codes << wholeText(row[codeField]);
      }
    } catch (const std::exception&) {
      // An unreadable table lists no materials; the windows show an empty
      // list rather than failing.
      rows->byName = {};
      rows->names.clear();
      rows->codes.clear();
    }
  }
  materialRows_ = std::move(rows);
  return *materialRows_;
}

MaterialList Catalogues::materialList(bool withAllMaterials) const {
  MaterialList list;
  if (withAllMaterials) {
    list.names << QString::fromUtf8(kAllMaterialsName);
    list.codes << QString::number(kAllMaterials);
  }
  const MaterialRows& rows = materialRows();
  list.names << rows.byName.names;
  list.codes << rows.byName.codes;
  return list;
}

QString Catalogues::materialName(int code) const {
  const MaterialRows& rows = materialRows();
  const int i = static_cast<int>(rows.codes.indexOf(QString::number(code)));
  return i < 0 ? QString() : rows.names[i];
}

void Catalogues::ReloadEdgeList() {
  EdgeList list;
  list.codes << QStringLiteral("0");
  list.colors << QString::number(kNoEdgeColor);
  list.names << QString::fromUtf8(kNoEdgeName);
  list.allowances << QStringLiteral("0");
  try {
    const dbase::Table rows = dbase::select(dbase::RowSource(fs::path(edgesTablePath().toStdString())),
                                            {"CODE", "NAME", "COLOR", "PRIPUSK"}, {}, {{"NAME"}});
    for (std::size_t i = 0; i < rows.rowCount(); ++i) {
      const dbase::Row row = rows.rowAt(i);
      list.codes << wholeText(row[0]);
      list.names << QString::fromStdString(row[1].toString());
      list.colors << wholeTextOrZero(row[2]);
      list.allowances << wholeTextOrZero(row[3]);
    }
  } catch (const std::exception&) {
    // An unreadable edge table leaves only "<нет>".
  }
  edges_ = std::move(list);
}

QString Catalogues::edgeName(int code) const {
  const int i = edges_.indexOfCode(code);
  return i < 0 ? QString() : edges_.names[i];
}

int Catalogues::edgeColor(int code, int defaultColor) const {
  const int i = edges_.indexOfCode(code);
  return i < 0 ? defaultColor : toInt(edges_.colors[i], defaultColor);
}

int Catalogues::edgeAllowance(int code) const {
  const int i = edges_.indexOfCode(code);
  return i < 0 ? 0 : toInt(edges_.allowances[i], 0);
}

int Catalogues::sideWithAllowance(int length, int code) const { return length + edgeAllowance(code); }

void Catalogues::rereadDefaultEdge() { defaultEdge_ = common::read(settings_, common::keys::DefBorder); }

void Catalogues::writeEdgeColours() const {
  std::vector<EdgeColour> colours;
  for (int i = 0; i < edges_.size(); ++i) {
    bool okCode = false;
    const int code = edges_.codes[i].toInt(&okCode);
    if (!okCode) continue;  // a row still without a code has no colour to keep
    colours.push_back({code, toInt(edges_.colors[i], 0)});
  }
  if (colours.empty() || colours.front().code != 0) colours.insert(colours.begin(), {0, kNoEdgeColor});
  catalogues::writeEdgeColours(CataloguePaths{fs::path(dataRoot_.toStdString())}.edgeColours(), colours);
}

}  // namespace kroyna::catalogues
