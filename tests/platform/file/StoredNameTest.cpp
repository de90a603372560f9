#include "platform/file/StoredName.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace kroyna::platform {
namespace {

namespace fs = std::filesystem;

TEST(StoredName, OnlyANameInsideItsFolderPasses) {
  struct Case {
    std::string name;
    bool passes;
  };
  std::string cyrillic;
  for (int i = 0; i < 126; ++i) cyrillic += "Я";  // 252 bytes
  const Case cases[] = {
      {"mdl3.dbf", true},
      {"Кухня 'Ольга'.dbf", true},
      {".dbf", true},
      {cyrillic + ".dbf", false},  // 256 bytes do not pass, 254 do
      {cyrillic.substr(0, 250) + ".dbf", true},
      {std::string(255, 'a'), true},
      {std::string(256, 'a'), false},
      {"", false},
      {"..\\Sheets\\Sheets.dbf", false},
      {"../Sheets/Sheets.dbf", false},
      {"/etc/passwd", false},
      {"\\\\server\\share\\x.dbf", false},
      {"..", false},
      {".", false},
      {"C:mdl1.dbf", false},
      {"c:\\Kroyna\\mdl1.dbf", false},
      {std::string("mdl\0.dbf", 8), false},
      {"1:mdl.dbf", true},
  };
  for (const Case& c : cases) {
    const std::string why = fileNameProblem(c.name);
    EXPECT_EQ(why.empty(), c.passes) << c.name.size() << " " << c.name << ": " << why;
    if (why.empty()) {
      EXPECT_EQ((fs::path("/r/Catalog") / c.name).lexically_normal().parent_path(), "/r/Catalog");
    }
  }
  EXPECT_EQ(damagedNameText("Models.dat", "имя таблицы деталей", std::string("..\\x\n", 5), "в имени есть разделитель"),
            "Файл \"Models.dat\" повреждён: имя таблицы деталей \"..\\x?\" недопустимо (в имени есть разделитель).");
}

}  // namespace
}  // namespace kroyna::platform
