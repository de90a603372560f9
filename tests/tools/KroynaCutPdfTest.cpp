// kroyna-cut --pdf: the maps of the JSON result printed one a page through
// the map report, read back with pdftotext; a template that cannot be used
// refuses the job before it is cut.

#include "maps/model/MapRules.h"

#include "tools/CutProcess.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#ifdef KROYNA_CUT_PDF

namespace {

namespace fs = std::filesystem;
using kroyna::testing::CutRun;
using kroyna::testing::slurp;
using nlohmann::json;

std::string output(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

bool havePdftotext() { return std::system("pdftotext -v > /dev/null 2>&1") == 0; }

class KroynaCutPdf : public kroyna::testing::CutProcessTest {};

// The pages of a PDF as pdftotext gives them, in drawing order.
std::vector<std::string> pdfPages(const fs::path& pdf) {
  const std::string text = output("pdftotext -raw '" + pdf.string() + "' -");
  std::vector<std::string> pages;
  std::size_t start = 0;
  for (std::size_t ff; (ff = text.find('\f', start)) != std::string::npos; start = ff + 1)
    pages.push_back(text.substr(start, ff - start));
  return pages;
}

TEST_F(KroynaCutPdf, OnePageAMapWithTheTextOfTheResult) {
  if (!havePdftotext()) GTEST_SKIP() << "pdftotext is not installed";
  const fs::path pdf = dir_ / "kitchen.pdf";
  std::string out, err;
  ASSERT_EQ(cut("'" KROYNA_BENCH_JOBS "/kitchen.json' --pdf '" + pdf.string() + "'", out, err), 0) << err;
  EXPECT_EQ(err, "");
  const json result = json::parse(out);
  const json job = json::parse(slurp(KROYNA_BENCH_JOBS "/kitchen.json"));
  const std::string material = job["material"];
  const std::vector<std::string> pages = pdfPages(pdf);
  ASSERT_EQ(pages.size(), result["maps"].size());

  kroyna::maps::TabCaptions captions;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    SCOPED_TRACE(i);
    const json& m = result["maps"][i];
    const std::string& page = pages[i];
    const int quantity = m["quantity"];
    const std::string caption =
        captions.next(static_cast<int>(i), quantity, m["offcut"].get<bool>(), m["name"].get<std::string>());
    // (pdftotext gives one space for the two after the caption)
    std::string first = "<" + caption + "> " + std::to_string(m["sheet"]["length"].get<int>()) + " x " +
                        std::to_string(m["sheet"]["width"].get<int>()) + " (" + material + ")";
    if (quantity > 1) first += " " + std::to_string(quantity) + " шт";
    EXPECT_NE(page.find(first + "\n"), std::string::npos) << first << "\n---\n" << page;
    EXPECT_NE(page.find("Количество резов: " + std::to_string(m["cutCount"].get<int>()) + " ("), std::string::npos);
    for (const char* line : {"Полный отход: ", "Полезный отход: ", "Бесполезный отход: ", "Площадь деталей: "})
      EXPECT_NE(page.find(line), std::string::npos) << line;
    EXPECT_NE(page.find("Лист " + std::to_string(i + 1) + " из " + std::to_string(pages.size())), std::string::npos);

    // The parts of one sheet, equal ones (name, size, edges) counted together.
    std::vector<std::tuple<std::string, int, int, json>> rows;
    std::map<std::size_t, int> counts;
    for (const json& p : m["parts"]) {
      const auto key =
          std::make_tuple(p["name"].get<std::string>(), p["length"].get<int>(), p["width"].get<int>(), p["edges"]);
      std::size_t r = 0;
      while (r < rows.size() && rows[r] != key) ++r;
      if (r == rows.size()) rows.push_back(key);
      ++counts[r];
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
      const std::string line = std::get<0>(rows[r]) + " [" + std::to_string(std::get<1>(rows[r])) + "x" +
                               std::to_string(std::get<2>(rows[r])) + "] " + std::to_string(counts[r]) + " шт";
      EXPECT_NE(page.find(line + "\n"), std::string::npos) << line << "\n---\n" << page;
    }
  }
}

TEST_F(KroynaCutPdf, AnUnusableTemplateRefusesTheJobOnOneLine) {
  const fs::path pdf = dir_ / "maps.pdf";
  std::ofstream(pdf) << "kept";
  std::ofstream(dir_ / "bad.frf") << "<report><band kind=\"masterData\" height=\"20\">"
                                     "<object class=\"TfrRskMapView\" name=\"Map\"><data>AAA=</data></object>"
                                     "</band></report>";
  std::ofstream(dir_ / "text.frf") << "<report><band kind=\"masterData\" height=\"20\">"
                                      "<object class=\"text\" name=\"Map\"/></band></report>";
  for (const char* name : {"bad.frf", "text.frf", "missing.frf"}) {
    SCOPED_TRACE(name);
    std::string out, err;
    EXPECT_EQ(cut("'" KROYNA_BENCH_JOBS "/kitchen.json' --pdf '" + pdf.string() + "' --template '" +
                      (dir_ / name).string() + "'",
                  out, err),
              2);
    EXPECT_EQ(out, "");
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    EXPECT_NE(err.find(name), std::string::npos) << err;
  }
  EXPECT_EQ(slurp(pdf), "kept");

  std::string out, err;
  EXPECT_EQ(cut("--template '" + (dir_ / "bad.frf").string() + "' '" KROYNA_BENCH_JOBS "/kitchen.json'", out, err), 2);
  EXPECT_NE(err.find("needs --pdf"), std::string::npos) << err;
}

}  // namespace

#endif
