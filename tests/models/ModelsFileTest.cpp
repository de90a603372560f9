// The models file: the records' bytes, the tree they live in, numbering,
// damaged files, changes by another program, a full disk, and files read
// and written by an independent implementation of the format.
#include "models/ModelsFile.h"

#include "PatternModels.h"
#include "models/ModelsTestSupport.h"
#include "platform/compound/CompoundFile.h"
#include "platform/compound/RawCfb.h"
#include "support/FailingWrites.h"

using namespace kroyna::models;
using namespace kroyna::models::testing;
namespace compound = kroyna::compound;
namespace cfb = kroyna::testing::cfb;

namespace {

std::string streamAt(const fs::path& file, std::initializer_list<const char*> path) {
  const compound::Element root = compound::readFile(file);
  const compound::Element* at = &root;
  for (const char* name : path) {
    at = at->child(name);
    if (!at) return "<нет " + std::string(name) + ">";
  }
  return at->data;
}

std::string modelRecord(const std::string& name, int count, const std::string& table, const std::string& stream) {
  return counted(name) + int32(count) + counted(table) + int32(0) + counted(stream);
}

std::vector<std::string> storageNames(const ModelSectionList& sections) {
  std::vector<std::string> out;
  for (const ModelSection& s : sections) out.push_back(s.storageName);
  return out;
}

}  // namespace

TEST(ModelRecords, SectionAndModelBytes) {
  // 5, 0, "Кухни" in code page 1251, 0; reserved 0; 13, 0, "ModelSection2", 0.
  const std::string kitchens = std::string("\x05\x00", 2) + "\xCA\xF3\xF5\xED\xE8" + std::string(1, '\0') +
                               std::string(4, '\0') + std::string("\x0D\x00", 2) + "ModelSection2" +
                               std::string(1, '\0');
  EXPECT_EQ(encodeSection(ModelSection{"Кухни", 0, {}, "ModelSection2"}), kitchens);
  const ModelSection back = decodeSection(kitchens);
  EXPECT_EQ(back.name, "Кухни");
  EXPECT_EQ(back.storageName, "ModelSection2");

  const ModelInfo table{"Стол", 3, "mdl0", 7, "Model1"};
  EXPECT_EQ(encodeModel(table), counted("Стол") + int32(3) + counted("mdl0") + int32(7) + counted("Model1"));
  EXPECT_EQ(decodeModel(encodeModel(table)), table);
  // A record over a longer old one keeps the old tail and reads the same.
  const std::string longer =
      overwriteStart(encodeModel(ModelInfo{"Шкаф двухдверный", 0, "mdl1", 0, "Model1"}), encodeModel(table));
  EXPECT_GT(longer.size(), encodeModel(table).size());
  EXPECT_EQ(decodeModel(longer), table);

  // Names a record cannot hold are refused, not altered.
  EXPECT_THROW(encodeModel(ModelInfo{"Стол 😀", 0, "mdl0", 0, "Model1"}), RecordError);
  EXPECT_THROW(encodeSection(ModelSection{std::string(70000, 'a'), 0, {}, "ModelSection1"}), RecordError);
}

TEST(ModelRecords, EveryFieldIsCheckedAgainstTheBytesLeft) {
  const std::string whole = encodeModel(ModelInfo{"Стол", 0, "mdl0", 0, "Model1"});
  for (std::size_t cut = 0; cut < whole.size(); ++cut)
    EXPECT_THROW(decodeModel(whole.substr(0, cut)), RecordError) << cut;
  // A length that runs past the end of the stream.
  EXPECT_THROW(decodeSection(std::string("\xFF\xFF", 2) + "abc"), RecordError);
  try {
    decodeSection(std::string("\x10\x00", 2) + "abc");
    FAIL();
  } catch (const RecordError& e) {
    EXPECT_NE(std::string(e.what()).find("Name"), std::string::npos) << e.what();
  }
}

TEST(ModelRecords, NamesAndSearch) {
  ModelSectionList list{{"А", 0, {}, "ModelSection1"}, {"Б", 0, {}, "modelsection3"}};
  EXPECT_EQ(newStorageName(list), "ModelSection2");
  EXPECT_EQ(newStorageName(list, NameOrigin::Import), "imModelSection1");
  list[0].models = {{"SHKAF", 0, "mdl0", 0, "Model2"}, {"ШКАФ", 0, "mdl1", 0, "Model1"}};
  EXPECT_EQ(newStreamName(list[0].models), "Model3");
  EXPECT_EQ(findSection(list, "Б"), 1);
  EXPECT_EQ(findSection(list, "б"), -1);
  const auto found = findModel(list, "Shkaf");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->model, 0);
  EXPECT_FALSE(findModel(list, "Шкаф"));  // Cyrillic case is not folded
  EXPECT_TRUE(findModel(list, "ШКАФ"));
}

TEST(ModelsFile, ShippedTemplateIsTheGeneratorsEmptyFile) {
  EXPECT_EQ(readBytes(kShippedPattern / "Models.dat"), kroyna::patterns::patternModelsBytes())
      << "run kroyna-patterns data/Pattern";
  ModelsRoot root;
  EXPECT_TRUE(ModelsFile(root.modelsFile()).load().empty());
}

TEST(ModelsFile, StoredBytesOfASectionAndAModel) {
  ModelsRoot root;
  ModelsFile file(root.modelsFile());
  const ModelSection kitchens = file.addSection("Кухни");
  EXPECT_EQ(kitchens.storageName, "ModelSection1");
  EXPECT_EQ(streamAt(root.modelsFile(), {"MODELS", "ModelSection1", "SECTION"}),
            counted("Кухни") + int32(0) + counted("ModelSection1"));

  const ModelInfo table = file.addModel("ModelSection1", ModelInfo{"Стол", 3, "mdl0", 0, ""});
  EXPECT_EQ(table.streamName, "Model1");
  EXPECT_EQ(streamAt(root.modelsFile(), {"MODELS", "ModelSection1", "MODELS", "Model1"}),
            modelRecord("Стол", 3, "mdl0", "Model1"));

  // Read back: the count written is not the count of a loaded model.
  const ModelSectionList loaded = file.load();
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(loaded[0].name, "Кухни");
  ASSERT_EQ(loaded[0].models.size(), 1u);
  EXPECT_EQ(loaded[0].models[0], (ModelInfo{"Стол", 0, "mdl0", 0, "Model1"}));
}

TEST(ModelsFile, NumberingTakesTheFirstFreeName) {
  ModelsRoot root;
  ModelsFile file(root.modelsFile());
  const ModelSection first = file.addSection("Кухни");
  file.addSection("Шкафы");
  const ModelSection third = file.addSection("Столы");
  EXPECT_EQ(third.storageName, "ModelSection3");
  file.removeSection(first);
  EXPECT_EQ(file.addSection("Прихожие").storageName, "ModelSection1");
  file.removeSection(ModelSection{"Шкафы", 0, {}, "ModelSection2"});
  EXPECT_EQ(file.addSection("Спальни").storageName, "ModelSection2");

  const ModelInfo a = file.addModel("ModelSection3", ModelInfo{"А", 0, "mdl0", 0, ""});
  file.addModel("ModelSection3", ModelInfo{"Б", 0, "mdl1", 0, ""});
  file.removeModel("ModelSection3", a);
  EXPECT_EQ(file.addModel("ModelSection3", ModelInfo{"В", 0, "mdl2", 0, ""}).streamName, "Model1");
  EXPECT_EQ(file.addSection("Импорт", NameOrigin::Import).storageName, "imModelSection1");
}

TEST(ModelsFile, RenamesAndMovesKeepEverythingElse) {
  ModelsRoot root;
  ModelsFile file(root.modelsFile());
  const ModelSection a = file.addSection("А");
  const ModelSection b = file.addSection("Б");
  const ModelInfo wardrobe = file.addModel(a.storageName, ModelInfo{"Шкаф двухдверный", 0, "mdl0", 5, ""});
  file.addModel(b.storageName, ModelInfo{"Стол", 0, "mdl1", 0, ""});

  // A shorter name written over the record leaves a longer stream that
  // reads as the new record.
  ModelInfo renamed = wardrobe;
  renamed.name = "Шкаф";
  file.rewriteModel(a.storageName, wardrobe, renamed);
  const std::string stream = streamAt(root.modelsFile(), {"MODELS", "ModelSection1", "MODELS", "Model1"});
  EXPECT_EQ(stream.size(), modelRecord("Шкаф двухдверный", 0, "mdl0", "Model1").size());
  EXPECT_EQ(file.load()[0].models[0].name, "Шкаф");
  EXPECT_EQ(file.load()[0].models[0].reserved, 5);

  file.renameSection(b, "Я");
  // Moving gives a free stream name in the target; the table stays.
  ModelInfo moved = renamed;
  moved.name = "Шкаф-купе";
  const ModelInfo there = file.moveModel(a.storageName, renamed, b.storageName, moved);
  EXPECT_EQ(there.streamName, "Model2");
  EXPECT_EQ(there.tableName, "mdl0");
  const ModelSectionList now = file.load();
  ASSERT_EQ(now.size(), 2u);
  EXPECT_TRUE(now[0].models.empty());
  EXPECT_EQ(now[1].name, "Я");
  ASSERT_EQ(now[1].models.size(), 2u);
}

TEST(ModelsFile, OtherElementsAreSkippedAndKept) {
  ModelsRoot root;
  // A stream straight in the top MODELS, a storage among a section's models
  // and a stream of another program at the root.
  compound::Element tree = compound::readFile(root.modelsFile());
  compound::Element& top = *tree.child("MODELS");
  top.put(compound::Element::stream("ModelSection1", "чужой поток"));
  compound::Element section = compound::Element::storage("ModelSection2");
  section.put(compound::Element::stream("SECTION", encodeSection(ModelSection{"Кухни", 0, {}, "ModelSection2"})));
  compound::Element& models = section.put(compound::Element::storage("MODELS"));
  models.put(compound::Element::storage("Model1"));
  models.put(compound::Element::stream("Model2", encodeModel(ModelInfo{"Стол", 0, "mdl0", 0, "Model2"})));
  top.put(std::move(section));
  tree.put(compound::Element::stream("Other", "x"));
  compound::writeFile(root.modelsFile(), tree);

  ModelsFile file(root.modelsFile());
  ModelSectionList sections = file.load();
  ASSERT_EQ(sections.size(), 1u);
  ASSERT_EQ(sections[0].models.size(), 1u);
  EXPECT_EQ(sections[0].models[0].name, "Стол");

  // New names never take the place of an element that is there.
  EXPECT_EQ(file.addSection("Шкафы").storageName, "ModelSection3");
  EXPECT_EQ(file.addModel("ModelSection2", ModelInfo{"Тумба", 0, "mdl1", 0, ""}).streamName, "Model3");
  const compound::Element after = compound::readFile(root.modelsFile());
  EXPECT_EQ(after.child("Other")->data, "x");
  EXPECT_EQ(after.child("MODELS")->child("ModelSection1")->data, "чужой поток");
  EXPECT_TRUE(after.child("MODELS")->child("ModelSection2")->child("MODELS")->child("Model1")->isStorage());
}

TEST(ModelsFile, DamagedFileIsReportedAndNeverWritten) {
  ModelsRoot root;
  ModelsFile file(root.modelsFile());
  const ModelSection kitchens = file.addSection("Кухни");

  auto damage = [&](const std::function<void(compound::Element&)>& edit) {
    compound::Element tree = compound::readFile(root.modelsFile());
    edit(*tree.child("MODELS")->child("ModelSection1"));
    compound::writeFile(root.modelsFile(), tree);
  };
  const std::string sound = readBytes(root.modelsFile());
  const std::vector<std::function<void(compound::Element&)>> damages = {
      // A length past the end of the stream.
      [](compound::Element& s) { s.child("SECTION")->data = std::string("\x40\x00", 2) + "Кухни"; },
      // A model record cut short.
      [](compound::Element& s) {
        s.child("MODELS")->put(compound::Element::stream("Model1", counted("Стол") + int32(1)));
      },
      [](compound::Element& s) { s.remove("SECTION"); },
      [](compound::Element& s) { s.remove("MODELS"); },
  };
  for (std::size_t i = 0; i < damages.size(); ++i) {
    writeBytes(root.modelsFile(), sound);
    damage(damages[i]);
    const std::string damaged = readBytes(root.modelsFile());
    try {
      file.load();
      ADD_FAILURE() << "damage " << i << " read";
    } catch (const ModelsFileError& e) {
      EXPECT_EQ(e.kind(), ModelsFileError::Kind::Damaged) << i;
      EXPECT_NE(std::string(e.what()).find(root.modelsFile().string()), std::string::npos) << e.what();
    }
    EXPECT_THROW(file.addSection("Шкафы"), ModelsFileError);
    EXPECT_THROW(file.renameSection(kitchens, "Кухни угловые"), ModelsFileError);
    EXPECT_EQ(readBytes(root.modelsFile()), damaged) << "damage " << i << " was written over";
  }

  writeBytes(root.modelsFile(), "not a compound file");
  EXPECT_THROW(file.load(), ModelsFileError);
  EXPECT_THROW(file.addSection("Шкафы"), ModelsFileError);
  EXPECT_EQ(readBytes(root.modelsFile()), "not a compound file");
  fs::remove(root.modelsFile());
  try {
    file.load();
    FAIL();
  } catch (const ModelsFileError& e) {
    EXPECT_EQ(e.kind(), ModelsFileError::Kind::Unreadable);
  }
}

TEST(ModelsFile, ChangesOfAnotherProgramAreNotLost) {
  ModelsRoot root;
  ModelsFile mine(root.modelsFile());
  ModelsFile theirs(root.modelsFile());
  const ModelSection kitchens = mine.addSection("Кухни");

  // Another program adds a section after this change read the file: the
  // change is made again on the newer file.
  bool once = true;
  mine.setBeforeReplace([&] {
    if (once) {
      once = false;
      theirs.addSection("Шкафы");
    }
  });
  const ModelSection made = mine.addSection("Столы");
  mine.setBeforeReplace({});
  EXPECT_EQ(made.storageName, "ModelSection3");
  const ModelSectionList all = mine.load();
  EXPECT_EQ(storageNames(all), (std::vector<std::string>{"ModelSection1", "ModelSection2", "ModelSection3"}));

  // What this program saw is gone: nothing is written.
  const ModelInfo table = mine.addModel(kitchens.storageName, ModelInfo{"Стол", 0, "mdl0", 0, ""});
  theirs.removeModel(kitchens.storageName, table);
  theirs.addModel(kitchens.storageName, ModelInfo{"Тумба", 0, "mdl1", 0, ""});  // Model1 again
  const std::string before = readBytes(root.modelsFile());
  ModelInfo renamed = table;
  renamed.name = "Стол обеденный";
  try {
    mine.rewriteModel(kitchens.storageName, table, renamed);
    FAIL() << "another model was written over";
  } catch (const ModelsFileError& e) {
    EXPECT_EQ(e.kind(), ModelsFileError::Kind::Changed);
  }
  EXPECT_THROW(mine.renameSection(ModelSection{"Старое имя", 0, {}, "ModelSection1"}, "Новое"), ModelsFileError);
  EXPECT_EQ(readBytes(root.modelsFile()), before);

  // A file that keeps changing is given up with a message.
  mine.setBeforeReplace([&] { theirs.addSection("Ещё"); });
  try {
    mine.addSection("Никогда");
    FAIL();
  } catch (const ModelsFileError& e) {
    EXPECT_EQ(e.kind(), ModelsFileError::Kind::Changed);
  }
}

TEST(ModelsFile, FullDiskKeepsTheOldFile) {
  ModelsRoot root;
  ModelsFile file(root.modelsFile());
  file.addSection("Кухни");
  const std::string before = readBytes(root.modelsFile());
  {
    kroyna::testing::FailingWrites full(512);
    try {
      file.addSection("Шкафы");
      FAIL();
    } catch (const ModelsFileError& e) {
      EXPECT_EQ(e.kind(), ModelsFileError::Kind::WriteFailed);
      EXPECT_NE(std::string(e.what()).find("Models.dat"), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(readBytes(root.modelsFile()), before);
  EXPECT_EQ(file.load().size(), 1u);
}

TEST(ModelsFileInterop, AnIndependentReaderSeesTheSameTreeAndRecords) {
  SKIP_WITHOUT_OLEFILE();
  ModelsRoot root;
  ModelsFile file(root.modelsFile());
  file.addSection("Кухни");
  const ModelSection wardrobes = file.addSection("Шкафы");
  file.addModel("ModelSection1", ModelInfo{"Стол", 2, "mdl0", 0, ""});
  file.addModel("ModelSection1", ModelInfo{"Тумба", 0, "mdl1", 0, ""});
  file.addModel(wardrobes.storageName, ModelInfo{"Шкаф-купе", 0, "mdl2", 0, ""});
  const PythonRun r = olefile("dump '" + root.modelsFile().string() + "'");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out,
            "MODELS\tstorage\n"
            "MODELS/ModelSection1\tstorage\n"
            "MODELS/ModelSection1/MODELS\tstorage\n"
            "MODELS/ModelSection1/MODELS/Model1\tstream\t" +
                hex(modelRecord("Стол", 2, "mdl0", "Model1")) +
                "\n"
                "MODELS/ModelSection1/MODELS/Model2\tstream\t" +
                hex(modelRecord("Тумба", 0, "mdl1", "Model2")) +
                "\n"
                "MODELS/ModelSection1/SECTION\tstream\t" +
                hex(counted("Кухни") + int32(0) + counted("ModelSection1")) +
                "\n"
                "MODELS/ModelSection2\tstorage\n"
                "MODELS/ModelSection2/MODELS\tstorage\n"
                "MODELS/ModelSection2/MODELS/Model1\tstream\t" +
                hex(modelRecord("Шкаф-купе", 0, "mdl2", "Model1")) +
                "\n"
                "MODELS/ModelSection2/SECTION\tstream\t" +
                hex(counted("Шкафы") + int32(0) + counted("ModelSection2")) + "\n");

  // The shipped template too.
  const PythonRun t = olefile("dump '" + (kShippedPattern / "Models.dat").string() + "'");
  ASSERT_EQ(t.status, 0) << t.out;
  EXPECT_EQ(t.out, "MODELS\tstorage\n");
}

TEST(ModelsFileInterop, AFileOfAnotherWriterOpensWithItsSectionsAndModels) {
  ModelsRoot root;
  // Imported names, a record longer than its fields, a big model stream in
  // the file's regular sectors, and elements of other kinds.
  const std::string bigRecord = modelRecord("Кухня угловая", 9, "mdl7", "imModel1") + std::string(5000, '\x55');
  const cfb::Node raw = cfb::storage(
      "",
      {cfb::storage(
          "MODELS",
          {cfb::storage("imModelSection1",
                        {cfb::stream("SECTION", counted("Кухни") + int32(0) + counted("imModelSection1") + "хвост"),
                         cfb::storage("MODELS", {cfb::stream("imModel1", bigRecord),
                                                 cfb::stream("imModel2", modelRecord("Пенал", 1, "mdl8", "imModel2")),
                                                 cfb::storage("Junk")})}),
           cfb::storage("ModelSection1",
                        {cfb::stream("SECTION", counted("Shkafy") + int32(0) + counted("ModelSection1")),
                         cfb::storage("MODELS")}),
           cfb::stream("Stray", "")})});
  writeBytes(root.modelsFile(), cfb::build(raw));
  ModelsFile file(root.modelsFile());
  const ModelSectionList sections = file.load();
  ASSERT_EQ(sections.size(), 2u);
  const ModelSection& kitchens = sections[findSection(sections, "Кухни")];
  EXPECT_EQ(kitchens.storageName, "imModelSection1");
  ASSERT_EQ(kitchens.models.size(), 2u);
  EXPECT_EQ(kitchens.models[0], (ModelInfo{"Кухня угловая", 0, "mdl7", 0, "imModel1"}));
  EXPECT_EQ(kitchens.models[1], (ModelInfo{"Пенал", 0, "mdl8", 0, "imModel2"}));
  EXPECT_TRUE(sections[findSection(sections, "Shkafy")].models.empty());
  const auto found = findModel(sections, "ПЕНАЛ");
  EXPECT_FALSE(found);
  EXPECT_TRUE(findModel(sections, "Пенал"));

  // A change keeps the other writer's elements and bytes.
  file.addModel("ModelSection1", ModelInfo{"Шкаф", 0, "mdl9", 0, ""});
  EXPECT_EQ(streamAt(root.modelsFile(), {"MODELS", "imModelSection1", "MODELS", "imModel1"}), bigRecord);
  EXPECT_EQ(file.load().size(), 2u);
}
