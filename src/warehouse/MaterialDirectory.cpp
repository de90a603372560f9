#include "warehouse/MaterialDirectory.h"

#include "catalogues/Catalogues.h"
#include "platform/dbase/Statements.h"

#include <algorithm>
#include <cmath>

namespace kroyna::warehouse {

std::string MaterialDirectory::name(int code) const {
  for (const MaterialEntry& e : materials())
    if (e.code == code) return e.name;
  return {};
}

std::vector<MaterialEntry> TableMaterials::materials() const {
  std::vector<MaterialEntry> out;
  try {
    dbase::Table t = dbase::select(dbase::RowSource(table_), {}, {}, {{"MATERIAL"}});
    for (bool ok = t.first(); ok; ok = t.next()) {
      if (t.isNull("CODE")) continue;
      out.push_back({t.asInt("CODE"), t.asString("MATERIAL")});
    }
  } catch (const std::exception&) {
    out.clear();
  }
  return out;
}

std::vector<MaterialEntry> CatalogueMaterials::materials() const {
  std::vector<MaterialEntry> out;
  const catalogues::Catalogues* c = catalogues::Catalogues::instance();
  if (!c) return out;
  const catalogues::MaterialList list = c->materialList(false);
  for (int i = 0; i < list.size(); ++i) {
    const int code = list.codeAt(i);
    if (code < 0) continue;
    out.push_back({code, list.names[i].toStdString()});
  }
  return out;
}

std::string CatalogueMaterials::name(int code) const {
  const catalogues::Catalogues* c = catalogues::Catalogues::instance();
  return c ? c->materialName(code).toStdString() : std::string();
}

std::filesystem::path CatalogueMaterials::tablePath() const {
  const catalogues::Catalogues* c = catalogues::Catalogues::instance();
  return c ? std::filesystem::path(c->materialsTablePath().toStdString()) : std::filesystem::path();
}

}  // namespace kroyna::warehouse
