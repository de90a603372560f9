// kroyna-cut --pdf: the maps of the JSON result printed one a page through
// the map report, read back with pdftotext; a template that cannot be used
// refuses the job before it is cut.

#include "maps/model/MapRules.h"

#include "support/CommandOutput.h"
#include "tools/CutProcess.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
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

std::string output(const std::string& command) { return kroyna::testing::commandOutput(command); }

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

// ---- pages read back: the boxes of the words and of the drawing -------------

struct Box {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  double w() const { return x1 - x0; }
  double h() const { return y1 - y0; }
};
constexpr double kMmPerPt = 25.4 / 72;

struct Word {
  std::string text;
  Box box;
};
struct Page {
  double width = 0, height = 0;  // pt
  std::vector<Word> words;
  std::vector<Box> maps;  // the outermost large rectangles drawn, top to bottom, left to right
};

// The words of every page with their boxes (pdftotext -bbox-layout).
std::vector<Page> pdfWords(const fs::path& pdf) {
  const std::string html = output("pdftotext -bbox-layout '" + pdf.string() + "' -");
  std::vector<Page> pages;
  static const std::regex page(R"re(<page width="([0-9.]+)" height="([0-9.]+)">)re");
  static const std::regex word(
      R"re(<word xMin="([0-9.-]+)" yMin="([0-9.-]+)" xMax="([0-9.-]+)" yMax="([0-9.-]+)">([^<]*)</word>)re");
  std::size_t pos = 0;
  for (;;) {
    const std::size_t next = html.find("<page ", pos);
    if (next == std::string::npos) break;
    const std::size_t end = html.find("</page>", next);
    const std::string body = html.substr(next, end - next);
    Page p;
    std::smatch m;
    if (std::regex_search(body, m, page)) {
      p.width = std::stod(m[1]);
      p.height = std::stod(m[2]);
    }
    for (auto it = std::sregex_iterator(body.begin(), body.end(), word); it != std::sregex_iterator(); ++it)
      p.words.push_back(
          {(*it)[5], {std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])}});
    pages.push_back(std::move(p));
    pos = end;
  }
  return pages;
}

// The bounding boxes of what a page draws besides its glyphs (pdftocairo
// -svg): each path's points through its transform.
std::vector<Box> drawnBoxes(const fs::path& pdf, int page) {
  const fs::path svg = pdf.string() + "." + std::to_string(page) + ".svg";
  output("pdftocairo -svg -f " + std::to_string(page) + " -l " + std::to_string(page) + " '" + pdf.string() + "' '" +
         svg.string() + "'");
  std::string text = slurp(svg);
  text = text.substr(std::min(text.size(), text.find("</defs>")));  // glyphs are defined before
  static const std::regex path(R"re(<path [^>]*/>)re");
  static const std::regex points(R"re( d="([^"]*)")re");
  static const std::regex matrix(R"re(transform="matrix\(([^)]*)\)")re");
  std::vector<Box> boxes;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), path); it != std::sregex_iterator(); ++it) {
    const std::string tag = it->str();
    std::smatch d, t;
    if (!std::regex_search(tag, d, points)) continue;
    double a = 1, b = 0, c = 0, e = 1, f = 0, g = 0;
    if (std::regex_search(tag, t, matrix))
      std::sscanf(t[1].str().c_str(), "%lf,%lf,%lf,%lf,%lf,%lf", &a, &b, &c, &e, &f, &g);
    std::istringstream in(std::regex_replace(d[1].str(), std::regex("[MLCZ]"), " "));
    std::vector<double> v;
    for (double x; in >> x;) v.push_back(x);
    if (v.size() < 4) continue;
    Box box{1e9, 1e9, -1e9, -1e9};
    for (std::size_t i = 0; i + 1 < v.size(); i += 2) {
      const double x = a * v[i] + c * v[i + 1] + f, y = b * v[i] + e * v[i + 1] + g;
      box = {std::min(box.x0, x), std::min(box.y0, y), std::max(box.x1, x), std::max(box.y1, y)};
    }
    boxes.push_back(box);
  }
  return boxes;
}

// The maps of a page: the drawn rectangles larger than 30 x 20 mm that lie
// inside no other.
std::vector<Box> mapBoxes(const std::vector<Box>& drawn) {
  auto within = [](const Box& in, const Box& out) {
    return in.x0 >= out.x0 - 0.5 && in.y0 >= out.y0 - 0.5 && in.x1 <= out.x1 + 0.5 && in.y1 <= out.y1 + 0.5;
  };
  std::vector<Box> maps;
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    const Box& b = drawn[i];
    if (b.w() * kMmPerPt < 30 || b.h() * kMmPerPt < 20) continue;
    bool inner = false;
    for (std::size_t j = 0; j < drawn.size() && !inner; ++j)
      inner = j != i && within(b, drawn[j]) && !within(drawn[j], b);
    if (!inner && std::none_of(maps.begin(), maps.end(), [&](const Box& m) { return within(b, m); })) maps.push_back(b);
  }
  std::sort(maps.begin(), maps.end(),
            [](const Box& l, const Box& r) { return std::tie(l.y0, l.x0) < std::tie(r.y0, r.x0); });
  return maps;
}

TEST_F(KroynaCutPdf, PrintedMapsFillThePageAndNoWordLeavesItsPlace) {
  if (!havePdftotext() || std::system("pdftocairo -v > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "pdftotext or pdftocairo is not installed";
  // The large job with fewer variants: the same parts, laid out quicker.
  json large = json::parse(slurp(KROYNA_BENCH_JOBS "/large.json"));
  large["variants"] = 20;
  const fs::path largeJob = write("large.json", large.dump());
  const double margin = 10 / kMmPerPt;  // the template's margins
  for (const fs::path& job : {fs::path(KROYNA_BENCH_JOBS "/kitchen.json"), largeJob})
    for (int perPage : {1, 2}) {
      SCOPED_TRACE(job.filename().string() + " " + std::to_string(perPage) + " a page");
      const fs::path pdf = dir_ / ("maps" + std::to_string(perPage) + ".pdf");
      std::string out, err;
      ASSERT_EQ(cut("'" + job.string() + "' --pdf '" + pdf.string() + "' --cut-order --maps-per-page " +
                        std::to_string(perPage),
                    out, err),
                0)
          << err;
      const json result = json::parse(out);
      const std::vector<Page> pages = pdfWords(pdf);
      ASSERT_EQ(pages.size(), (result["maps"].size() + perPage - 1) / perPage);
      for (std::size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE("page " + std::to_string(i + 1));
        const Page& p = pages[i];
        for (const Word& w : p.words) {
          EXPECT_TRUE(w.box.x0 >= margin - 0.5 && w.box.y0 >= margin - 0.5 && w.box.x1 <= p.width - margin + 0.5 &&
                      w.box.y1 <= p.height - margin + 0.5)
              << w.text;
        }
        for (std::size_t a = 0; a < p.words.size(); ++a)
          for (std::size_t b = 0; b < a; ++b) {
            const Box& x = p.words[a].box;
            const Box& y = p.words[b].box;
            const double across = std::min(x.x1, y.x1) - std::max(x.x0, y.x0);
            const double down = std::min(x.y1, y.y1) - std::max(x.y0, y.y0);
            EXPECT_FALSE(across > 0.3 && down > 0.3) << p.words[a].text << " over " << p.words[b].text;
          }
        // The maps as drawn, each in the proportions of its sheet; a
        // standard 2800 x 2070 sheet at least 200 mm wide alone on a page
        // and 150 mm wide with two.
        const std::vector<Box> maps = mapBoxes(drawnBoxes(pdf, static_cast<int>(i) + 1));
        const std::size_t first = i * static_cast<std::size_t>(perPage);
        ASSERT_EQ(maps.size(), std::min<std::size_t>(perPage, result["maps"].size() - first));
        for (std::size_t k = 0; k < maps.size(); ++k) {
          const json& m = result["maps"][first + k];
          const double length = m["sheet"]["length"], width = m["sheet"]["width"];
          EXPECT_NEAR(maps[k].w() / maps[k].h(), length / width, 0.02);
          EXPECT_TRUE(maps[k].x0 >= margin - 1 && maps[k].x1 <= p.width - margin + 1);
          if (!m["offcut"].get<bool>() && length == 2800 && width == 2070) {
            EXPECT_GE(maps[k].w() * kMmPerPt, perPage == 1 ? 200 : 150);
          }
        }
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
