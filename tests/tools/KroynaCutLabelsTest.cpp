// kroyna-cut --labels: a label for every part cut, in the part's own terms
// (a part the layout had to turn keeps the job's length, width and edges),
// its barcode decoding to "<job>-<row>-<copy>" when the PDF is rendered at
// 300 dpi and read by zbar (Code 128, QR) or libdmtx (DataMatrix).

#include "support/CommandOutput.h"
#include "tools/CutProcess.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#ifdef KROYNA_CUT_PDF

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::string output(const std::string& command) { return kroyna::testing::commandOutput(command); }

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);)
    if (!l.empty()) out.push_back(l);
  std::sort(out.begin(), out.end());
  return out;
}

bool haveTools() {
  return std::system("pdftoppm -v > /dev/null 2>&1") == 0 && std::system("zbarimg --version > /dev/null 2>&1") == 0 &&
         std::system("command -v dmtxread > /dev/null 2>&1") == 0 && std::system("pdftotext -v > /dev/null 2>&1") == 0;
}

// A part the 1000 mm wide sheet only takes turned, and one it takes as given.
const char* const kJob = R"({
  "material": "ЛДСП Белый 16 мм", "kerf": 4, "trims": {"left": 0, "right": 0, "top": 0, "bottom": 0},
  "sheet": {"length": 1000, "width": 600},
  "parts": [ {"name": "Бок", "length": 500, "width": 280, "many": 3, "edges": [0, 0, 7, 0]},
             {"name": "Царга", "length": 100, "width": 900, "many": 2, "edges": [1, 2, 3, 4]} ]
})";

class KroynaCutLabels : public kroyna::testing::CutProcessTest {
 protected:
  // The identifiers of the result's labels: "<job>-<row>-<copy>", copies of a
  // row counted over the maps in order.
  static std::vector<std::string> identifiers(const json& result, const std::string& job) {
    std::vector<std::string> ids;
    std::map<int, int> copies;
    for (const json& m : result["maps"])
      for (int k = 0; k < m["quantity"].get<int>(); ++k)
        for (const json& p : m["parts"]) {
          const int row = p["row"].get<int>() + 1;
          ids.push_back(job + "-" + std::to_string(row) + "-" + std::to_string(++copies[row]));
        }
    std::sort(ids.begin(), ids.end());
    return ids;
  }
};

TEST_F(KroynaCutLabels, EveryBarcodeDecodesToItsPartAndTurnedPartsKeepTheirOwnTerms) {
  if (!haveTools()) GTEST_SKIP() << "poppler, zbar or dmtx tools missing";
  const fs::path job = write("Кухня.json", kJob);
  struct Case {
    const char* barcode;
    const char* prefix;  // of zbar's lines; none for DataMatrix
    const char* name;    // the job's name as the barcode carries it
  };
  for (const Case& c :
       {Case{"code128", "CODE-128:", "Kukhnia"}, Case{"qr", "QR-Code:", "Кухня"}, Case{"datamatrix", "", "Кухня"}}) {
    SCOPED_TRACE(c.barcode);
    const fs::path pdf = dir_ / (std::string(c.barcode) + ".pdf");
    const kroyna::testing::CutRun run = cut("--labels '" + pdf.string() + "' --barcode " + c.barcode +
                                            " --label-sheet a4-3x8-70x37 '" + job.string() + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const json result = json::parse(run.out);
    const std::vector<std::string> expected = identifiers(result, c.name);
    ASSERT_EQ(expected.size(), 5u);

    std::string found;
    if (*c.prefix) {
      output("pdftoppm -r 300 -png '" + pdf.string() + "' '" + (dir_ / c.barcode).string() + "'");
      for (const auto& f : fs::directory_iterator(dir_))
        if (f.path().filename().string().rfind(c.barcode, 0) == 0 && f.path().extension() == ".png")
          found += output("zbarimg --nodbus -q '" + f.path().string() + "'");
      const std::string prefix = c.prefix;
      std::string ids;
      for (const std::string& l : lines(found)) {
        EXPECT_EQ(l.rfind(prefix, 0), 0u) << l;
        ids += l.substr(l.find(':') + 1) + "\n";
      }
      EXPECT_EQ(lines(ids), expected);
    } else {
      // Five labels of 70 x 37 mm, three a row from 0.5 mm down the page; a
      // whole page of DataMatrix takes dmtxread minutes, one label moments.
      for (int i = 0; i < 5; ++i) {
        const int x = (i % 3) * 70 * 300 * 10 / 254, y = (5 + (i / 3) * 370) * 300 / 254;
        const fs::path crop = dir_ / ("label" + std::to_string(i));
        output("pdftoppm -r 300 -png -singlefile -x " + std::to_string(x) + " -y " + std::to_string(y) +
               " -W 827 -H 437 '" + pdf.string() + "' '" + crop.string() + "'");
        // libdmtx gives the ECI's number (26, UTF-8) as a character first.
        std::string data = output("dmtxread -n -N 1 '" + crop.string() + ".png'");
        if (!data.empty() && data[0] == '\x1A') data.erase(0, 1);
        found += data;
      }
      EXPECT_EQ(lines(found), expected);
    }

    // The rail lay turned (900 along the sheet), and its labels say what the
    // job says: 100 x 900, left edge 1, right 2, top 3, bottom 4.
    bool turned = false;
    for (const json& m : result["maps"])
      for (const json& p : m["parts"]) turned = turned || (p["name"] == "Царга" && p["rotated"].get<bool>());
    EXPECT_TRUE(turned);
    const std::string text = output("pdftotext -layout '" + pdf.string() + "' -");
    std::size_t rails = 0;
    for (std::size_t at = 0; (at = text.find("100 x 900", at)) != std::string::npos; ++at) ++rails;
    EXPECT_EQ(rails, 2u) << text;
    EXPECT_EQ(text.find("900 x 100"), std::string::npos) << text;
    EXPECT_NE(text.find("л: 1"), std::string::npos) << text;
    EXPECT_NE(text.find("н: 4"), std::string::npos) << text;
  }
}

TEST_F(KroynaCutLabels, LabelOptionsAreCheckedBeforeTheJobIsCut) {
  const fs::path job = write("job.json", kJob);
  const fs::path pdf = dir_ / "labels.pdf";
  for (const std::string& args : {"--labels '" + pdf.string() + "' --barcode ean13 '" + job.string() + "'",
                                  "--labels '" + pdf.string() + "' --label-sheet a5 '" + job.string() + "'",
                                  "--barcode qr '" + job.string() + "'"}) {
    SCOPED_TRACE(args);
    const kroyna::testing::CutRun run = cut(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("kroyna-cut: "), std::string::npos) << run.err;
  }
  EXPECT_FALSE(fs::exists(pdf));
  // The help names the option.
  EXPECT_NE(cut("--help").out.find("--labels OUT.pdf"), std::string::npos);
}

}  // namespace

#endif
