#include "models/CatalogIniImport.h"

#include "common/Messages.h"
#include "platform/compound/CompoundFile.h"
#include "platform/file/QtPaths.h"
#include "platform/file/SafeFile.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Cp1251.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <map>

namespace kroyna::models {

namespace fs = std::filesystem;

namespace {

const QString kImportFailed = QStringLiteral("Ошибка импорта базы моделей.");

using platform::toPath;
QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

struct ImportFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The catalogue as sections of models, in file order.
ModelSectionList readCatalogue(const QString& path) {
  if (!QFileInfo(path).isFile())
    throw ImportFailure(QStringLiteral("Файл \"%1\" не найден.").arg(shown(path)).toStdString());
  try {
    const ini::IniFile ini(toPath(path));
    ModelSectionList sections;
    int i = 0;
    for (const auto& [key, name] : ini.readSectionValues("Sections")) {
      ModelSection sec;
      sec.name = name;
      sec.storageName = "imModelSection" + std::to_string(++i);
      std::map<std::string, std::string> tables;
      for (const auto& [model, table] : ini.readSectionValues(key + "_"))
        tables.emplace(text::toUpperUtf8(model), table);
      int j = 0;
      for (const auto& [model, modelName] : ini.readSectionValues(key)) {
        ModelInfo m;
        m.name = modelName;
        const auto t = tables.find(text::toUpperUtf8(model));
        if (t != tables.end()) m.tableName = t->second;
        m.streamName = "imModel" + std::to_string(++j);
        sec.models.push_back(std::move(m));
      }
      sections.push_back(std::move(sec));
    }
    return sections;
  } catch (const ini::IniError& e) {
    throw ImportFailure(e.what());
  }
}

// Writes the sections into the models file, which holds the empty
// template: one storage per section, one stream per model.
void writeSections(const QString& modelsFile, const ModelSectionList& sections) {
  const std::string shownName = shown(modelsFile).toStdString();
  compound::Element root = compound::readFile(toPath(modelsFile));
  compound::Element* top = root.child("MODELS");
  if (!top || !top->isStorage()) throw ImportFailure("Файл моделей \"" + shownName + "\": нет хранилища MODELS.");
  for (const ModelSection& sec : sections) {
    compound::Element storage = compound::Element::storage(sec.storageName);
    storage.put(compound::Element::stream("SECTION", encodeSection(sec)));
    compound::Element models = compound::Element::storage("MODELS");
    // The stream names are new and distinct: they go in without a search.
    for (const ModelInfo& m : sec.models)
      models.children.push_back(compound::Element::stream(m.streamName, encodeModel(m)));
    storage.put(std::move(models));
    top->put(std::move(storage));
  }
  compound::writeFile(toPath(modelsFile), root);
  // What was written must read as a models file.
  (void)ModelsFile(toPath(modelsFile)).load();
}

}  // namespace

bool importOldCatalogue(const ModelsPaths& paths, const CatalogImportUi& ui) {
  if (common::showMessage(QStringLiteral("Импортировать данные базы моделей?"), common::MsgIcon::Confirmation,
                          common::MsgButtons::YesNo) != common::MsgResult::Yes)
    return false;
  if (common::showMessage(
          QStringLiteral("ВНИМАНИЕ!\r\rВсе данные в текущей базе моделей будут уничтожены!\r\rПродолжить?"),
          common::MsgIcon::Warning, common::MsgButtons::YesNo) != common::MsgResult::Yes)
    return false;
  if (ui.closeModelsWindow) ui.closeModelsWindow();

  // The catalogue is read first: one that cannot be read changes nothing.
  ModelSectionList sections;
  try {
    sections = readCatalogue(paths.root + QStringLiteral("/Catalog.ini"));
  } catch (const std::exception& e) {
    common::showError(kImportFailed + QStringLiteral("\r\r") + QString::fromUtf8(e.what()));
    return false;
  }

  const QString models = paths.modelsFile();
  const QString safety = paths.tempFolder() + QStringLiteral("/Models.dat");
  bool safetyMade = false;
  try {
    QDir().mkpath(paths.tempFolder());
    if (QFileInfo::exists(safety) && !QFile::remove(safety))
      throw ImportFailure(QStringLiteral("Не удалось удалить файл \"%1\".").arg(shown(safety)).toStdString());
    platform::copyFileAtomically(toPath(models), toPath(safety));
    safetyMade = true;
    if (ui.afterSafetyCopy) ui.afterSafetyCopy();
    platform::copyFileAtomically(toPath(paths.patternModels()), toPath(models));
    struct Waiting {
      const CatalogImportUi& ui;
      explicit Waiting(const CatalogImportUi& u) : ui(u) {
        if (ui.waiting) ui.waiting(true);
      }
      ~Waiting() {
        if (ui.waiting) ui.waiting(false);
      }
    } waiting(ui);
    writeSections(models, sections);
  } catch (const std::exception& e) {
    QString text = kImportFailed + QStringLiteral("\r\r") + QString::fromUtf8(e.what());
    if (safetyMade) {
      try {
        platform::copyFileAtomically(toPath(safety), toPath(models));
        QFile::remove(safety);
      } catch (const std::exception& restore) {
        // The safety copy is all that is left of the models base: it stays.
        text += QStringLiteral(
                    "\r\rПрежний файл моделей не удалось восстановить (%1).\rЕго копия сохранена в файле "
                    "\"%2\": скопируйте её на место файла \"%3\".")
                    .arg(QString::fromUtf8(restore.what()), shown(safety), shown(models));
      }
    }
    common::showError(text);
    return false;
  }
  QFile::remove(safety);
  return true;
}

}  // namespace kroyna::models
