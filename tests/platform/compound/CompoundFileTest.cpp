// The compound-file adapter: trees read back as written, files of another
// writer read, damaged input refused with the file's name, limits of a read,
// names the format cannot hold, and a failed write that keeps the old file.
#include "platform/compound/CompoundFile.h"

#include "platform/compound/RawCfb.h"
#include "support/FailingWrites.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kroyna::compound;
using kroyna::testing::readBytes;
using kroyna::testing::TempDir;
using kroyna::testing::writeBytes;
namespace cfb = kroyna::testing::cfb;

namespace {

// The tree as text, children sorted by name, so that trees compare whatever
// order a file lists them in.
std::string describe(const Element& e, int depth = 0) {
  std::string out = std::string(depth * 2, ' ') + (e.isStorage() ? "[" + e.name + "]" : e.name);
  if (e.isStream()) out += " " + std::to_string(e.data.size()) + ":" + std::to_string(std::hash<std::string>{}(e.data));
  out += "\n";
  std::vector<const Element*> kids;
  for (const Element& c : e.children) kids.push_back(&c);
  std::sort(kids.begin(), kids.end(), [](const Element* a, const Element* b) { return a->name < b->name; });
  for (const Element* c : kids) out += describe(*c, depth + 1);
  return out;
}

std::string binary(std::size_t n, unsigned seed) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + seed * 7 + (i >> 3)) & 0xFF);
  return s;
}

Element sampleTree() {
  Element root = Element::storage("Root Entry");
  Element& models = root.put(Element::storage("MODELS"));
  Element& section = models.put(Element::storage("Раздел №1"));
  section.classId = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  section.put(Element::stream("SECTION", std::string("\x05\0abcde\0", 8)));
  section.put(Element::storage("MODELS")).put(Element::stream("Model1", binary(100, 1)));
  models.put(Element::storage("Пусто"));
  root.put(Element::stream("Empty", ""));
  root.put(Element::stream("Big", binary(5000, 2)));
  root.put(Element::stream("Edge", binary(4096, 3)));
  return root;
}

}  // namespace

TEST(CompoundFile, TreeReadsBackAsWritten) {
  const Element tree = sampleTree();
  const Element back = readBytes(toBytes(tree), "mem");
  EXPECT_EQ(describe(back), describe(tree));
  const Element* section = back.child("models")->child("РАЗДЕЛ №1");
  ASSERT_NE(section, nullptr);
  EXPECT_EQ(section->classId, tree.child("MODELS")->child("Раздел №1")->classId);
  EXPECT_EQ(back.child("Big")->data, binary(5000, 2));
  EXPECT_TRUE(back.child("MODELS")->child("Пусто")->isStorage());
  EXPECT_TRUE(back.child("Empty")->isStream());

  // The same through a file, and the writer is repeatable byte for byte.
  TempDir dir;
  writeFile(dir / "x.dat", tree);
  EXPECT_EQ(describe(readFile(dir / "x.dat")), describe(tree));
  EXPECT_EQ(readBytes(dir / "x.dat"), toBytes(tree));
}

TEST(CompoundFile, ReadsFilesOfAnotherWriter) {
  const cfb::Node raw = cfb::storage(
      "",
      {cfb::storage("MODELS", {cfb::storage("ModelSection1", {cfb::stream("SECTION", "abc"),
                                                              cfb::storage("MODELS", {cfb::stream("Model1", "x")})}),
                               cfb::stream("Stray", "")}),
       cfb::stream("Large", binary(9000, 4)), cfb::stream("Кириллица", binary(70, 5))});
  const Element tree = readBytes(cfb::build(raw), "raw");
  EXPECT_EQ(describe(tree),
            "[Root Entry]\n"
            "  Large 9000:" +
                std::to_string(std::hash<std::string>{}(binary(9000, 4))) +
                "\n"
                "  [MODELS]\n"
                "    [ModelSection1]\n"
                "      [MODELS]\n"
                "        Model1 1:" +
                std::to_string(std::hash<std::string>{}("x")) +
                "\n"
                "      SECTION 3:" +
                std::to_string(std::hash<std::string>{}("abc")) +
                "\n"
                "    Stray 0:" +
                std::to_string(std::hash<std::string>{}("")) +
                "\n"
                "  Кириллица 70:" +
                std::to_string(std::hash<std::string>{}(binary(70, 5))) + "\n");
}

TEST(CompoundFile, DamagedInputIsRefusedWithTheFileName) {
  TempDir dir;
  writeBytes(dir / "text.dat", "это не составной файл");
  try {
    readFile(dir / "text.dat");
    FAIL() << "a text file was read";
  } catch (const CompoundError& e) {
    EXPECT_NE(std::string(e.what()).find((dir / "text.dat").string()), std::string::npos) << e.what();
  }
  EXPECT_THROW(readFile(dir / "missing.dat"), CompoundError);

  // Every cut of a sound file is refused or read, never more than that.
  const std::string whole = toBytes(sampleTree());
  for (std::size_t cut = 0; cut < whole.size(); cut += 97) {
    try {
      (void)readBytes(whole.substr(0, cut), "cut");
    } catch (const CompoundError&) {
    }
  }
  // A stream that claims more bytes than the file has.
  std::string raw = cfb::build(cfb::storage("", {cfb::stream("S", binary(5000, 6))}));
  raw.resize(raw.size() - 1024);
  EXPECT_THROW(readBytes(raw, "short"), CompoundError);

  // A root entry with a sibling: refused, and nothing of it is kept in
  // memory (the leak checker of the test run sees that).
  std::string sibling = cfb::build(cfb::storage("", {cfb::stream("A", "a"), cfb::stream("B", "b")}));
  ASSERT_EQ(readBytes(sibling, "sound").children.size(), 2u);
  const std::size_t root = 512 + (std::size_t{cfb::detail::get32(sibling, 0x30)} << 9);
  for (std::size_t field : {0x44u, 0x48u}) {
    std::string damaged = sibling;
    cfb::detail::put32(damaged, root + field, 1);
    try {
      (void)readBytes(damaged, "sibling.dat");
      FAIL() << "a root entry with a sibling was read";
    } catch (const CompoundError& e) {
      EXPECT_NE(std::string(e.what()).find("sibling.dat"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("повреждён"), std::string::npos) << e.what();
    }
  }
}

TEST(CompoundFile, ReadLimitsBoundElementsAndDepth) {
  Element root = Element::storage("Root Entry");
  for (int i = 0; i < 5; ++i) root.put(Element::stream("S" + std::to_string(i), "x"));
  const std::string bytes = toBytes(root);
  EXPECT_NO_THROW(readBytes(bytes, "ok", ReadLimits{5, 64}));
  try {
    readBytes(bytes, "many", ReadLimits{4, 64});
    FAIL();
  } catch (const CompoundError& e) {
    EXPECT_NE(e.reason().find("элементов больше 4"), std::string::npos) << e.what();
  }
  Element deep = Element::storage("Root Entry");
  Element* at = &deep;
  for (int i = 0; i < 4; ++i) at = &at->put(Element::storage("D"));
  EXPECT_NO_THROW(readBytes(toBytes(deep), "deep", ReadLimits{100, 4}));
  EXPECT_THROW(readBytes(toBytes(deep), "deep", ReadLimits{100, 3}), CompoundError);
}

TEST(CompoundFile, NamesTheFormatCannotHoldAreRefused) {
  EXPECT_EQ(checkName("ModelSection12"), "");
  EXPECT_EQ(checkName(std::string(31, 'a')), "");
  EXPECT_EQ(checkName(std::string(31, 'a') + "я").empty(), false);
  EXPECT_EQ(checkName("").empty(), false);
  EXPECT_EQ(checkName("a/b").empty(), false);
  for (const std::string& bad : {std::string(32, 'x'), std::string("a:b"), std::string()}) {
    Element root = Element::storage("Root Entry");
    root.children.push_back(Element::stream(bad, "x"));
    EXPECT_THROW(toBytes(root), CompoundError) << bad;
  }
  Element twice = Element::storage("Root Entry");
  twice.children.push_back(Element::stream("Model1", "a"));
  twice.children.push_back(Element::storage("MODEL1"));
  EXPECT_THROW(toBytes(twice), CompoundError);

  // put() replaces an element of the same name in any letter case.
  Element root = Element::storage("Root Entry");
  root.put(Element::stream("Model1", "old"));
  root.put(Element::stream("MODEL1", "new"));
  ASSERT_EQ(root.children.size(), 1u);
  EXPECT_EQ(root.child("model1")->data, "new");
  EXPECT_TRUE(root.remove("Model1"));
  EXPECT_FALSE(root.remove("Model1"));
}

TEST(CompoundFile, FailedWriteKeepsTheOldFile) {
  TempDir dir;
  const auto file = dir / "Models.dat";
  writeFile(file, sampleTree());
  const std::string before = readBytes(file);
  Element bigger = sampleTree();
  bigger.put(Element::stream("More", binary(20000, 9)));
  {
    kroyna::testing::FailingWrites full(1024);
    try {
      writeFile(file, bigger);
      FAIL() << "the write went through";
    } catch (const CompoundError& e) {
      EXPECT_EQ(e.file(), file.string());
    }
  }
  EXPECT_EQ(readBytes(file), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}
