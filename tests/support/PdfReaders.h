#pragma once

// Printed pages read back by programs that have nothing to do with ours:
// the words of a PDF with their boxes (pdftotext -bbox-layout), and the
// barcodes on its pages rendered at 300 dpi (pdftoppm) and decoded by zbar
// (Code 128, QR) or libdmtx (DataMatrix, which zbar does not read).

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRectF>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <vector>

namespace kroyna::test {

inline bool havePrograms(std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (QStandardPaths::findExecutable(QString::fromLatin1(n)).isEmpty()) return false;
  return true;
}

// Standard output of a program (UTF-8), empty when it could not run.
inline QString programOutput(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(300000)) {
    p.kill();
    p.waitForFinished();
    return {};
  }
  return QString::fromUtf8(p.readAllStandardOutput());
}

// A word on a page: its box in PDF points from the page's top-left corner.
struct PdfWord {
  int page = 0;  // from 0
  QRectF box;
  QString text;
};

inline std::vector<PdfWord> pdfWords(const QString& pdf) {
  std::vector<PdfWord> words;
  QXmlStreamReader r(
      programOutput(QStringLiteral("pdftotext"), {QStringLiteral("-bbox-layout"), pdf, QStringLiteral("-")}));
  int page = -1;
  while (!r.atEnd()) {
    if (r.readNext() != QXmlStreamReader::StartElement) continue;
    if (r.name() == QLatin1String("page")) ++page;
    if (r.name() != QLatin1String("word")) continue;
    const auto a = r.attributes();
    auto at = [&](const char* n) { return a.value(QLatin1String(n)).toDouble(); };
    const QRectF box(QPointF(at("xMin"), at("yMin")), QPointF(at("xMax"), at("yMax")));
    words.push_back({page, box, r.readElementText()});
  }
  return words;
}

// The pages of a PDF rendered at 300 dpi, as PNG files in `folder`.
inline QStringList renderPages(const QString& pdf, const QString& folder) {
  QDir().mkpath(folder);
  programOutput(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"), pdf,
                                             folder + QStringLiteral("/page")});
  QStringList pages;
  for (const QString& name : QDir(folder).entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name))
    pages << folder + QLatin1Char('/') + name;
  return pages;
}

// Every Code 128 and QR symbol zbar finds on the pages, as "CODE-128:data".
inline QStringList zbarSymbols(const QStringList& pages) {
  QStringList found;
  for (const QString& page : pages)
    found << programOutput(QStringLiteral("zbarimg"), {QStringLiteral("--nodbus"), QStringLiteral("-q"), page})
                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  return found;
}

// The DataMatrix symbol libdmtx finds in each area of a rendered page
// (areas in points); an empty text where it finds none. Reading a whole page
// of symbols takes dmtxread minutes, one symbol a few milliseconds.
inline QStringList dataMatrixSymbols(const QString& page, const std::vector<QRectF>& areas, const QString& folder) {
  const QImage image(page);
  QStringList found;
  int n = 0;
  for (const QRectF& a : areas) {
    const QRectF pixels(a.x() * 300 / 72, a.y() * 300 / 72, a.width() * 300 / 72, a.height() * 300 / 72);
    const QString crop = folder + QStringLiteral("/symbol%1.png").arg(n++);
    image.copy(pixels.toAlignedRect()).save(crop);
    QString data = programOutput(QStringLiteral("dmtxread"), {QStringLiteral("-N"), QStringLiteral("1"), crop});
    // libdmtx does not interpret an ECI: it gives its number (26, UTF-8)
    // as a character before the data.
    if (data.startsWith(QChar(26))) data.remove(0, 1);
    found << data;
  }
  return found;
}

}  // namespace kroyna::test
