#pragma once

// Barcodes on printed pages: the symbol of a text (Code 128, DataMatrix or
// QR) as a grid of dark and light modules, quiet zone included, made by
// libzint; and the report object that draws it with QPainter, module by
// module at an exact size, so that a PDF keeps it sharp at any zoom.

#include "platform/report/ReportObject.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace kroyna::report {

// The kinds of barcode, numbered as the settings store them.
enum class Symbology { None = 0, Code128 = 1, DataMatrix = 2, QrCode = 3 };

// "none", "code128", "datamatrix", "qr": the names templates use.
const char* symbologyName(Symbology s);
std::optional<Symbology> symbologyFromName(const QString& name);

// A symbol: `columns` × `rows` modules with its quiet zone around it. A
// linear symbol (Code 128) has one row: its bars are drawn as high as the
// room given to them.
struct BarcodeModules {
  int columns = 0;
  int rows = 0;
  bool linear = false;
  std::vector<bool> dark;  // row by row

  bool at(int column, int row) const {
    return dark[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(column)];
  }
};

// The symbol of `data` (UTF-8). Code 128 takes printable ASCII only (see
// asciiForCode128); DataMatrix and QR take any text, marked as UTF-8 for
// the reader. Nothing, with the reason in `error`, when the data cannot be
// encoded (empty, too long, a character the symbology has not got).
std::optional<BarcodeModules> encodeBarcode(Symbology symbology, const std::string& data, std::string* error = nullptr);

// The text in the printable ASCII Code 128 carries: Cyrillic letters
// transliterated ("Пример-12-3" → "Primer-12-3"), other characters outside
// ASCII as "_".
QString asciiForCode128(const QString& text);

// Module sizes are whole dots of a 300 dpi printer, at least two dots, so
// that a label printer prints every bar and space the same width and the
// symbol is never scaled below what a reader needs at that resolution.
inline constexpr double kBarcodeDot = kUnitsPerInch / 300.0;  // report units
inline constexpr int kMinModuleDots = 2;

// A symbol drawn as a report object ("barcode"). Its text is the data, with
// [expressions] like a text object's; the module size is `module` report
// units (0: the largest whole-dot size that fits the object). A linear
// symbol's bars fill the height left above the human-readable line. With
// `showText` the data is printed under the symbol, centred, in the object's
// font. A symbol that cannot be made or does not fit is not drawn.
class BarcodeObject : public TextObject {
 public:
  std::string className() const override { return "barcode"; }
  std::unique_ptr<ReportObject> clone() const override { return std::make_unique<BarcodeObject>(*this); }
  void draw(const RenderContext& rc) const override;
  bool readAttribute(const QString& name, const QString& value) override;
  void writeAttributes(QXmlStreamWriter& w) const override;
  bool applyBinding(const std::string& attribute, const Value& v) override;

  // What is encoded (the expanded text in a prepared report).
  QString data() const;
  // The module size used for `modules`: `module`, or the largest whole-dot
  // size that fits; 0 when the symbol does not fit at the smallest size.
  double moduleSize(const BarcodeModules& modules) const;
  // Height of the human-readable line under the symbol (0 without it).
  double captionHeight() const;

  Symbology symbology = Symbology::Code128;
  double module = 0;
  bool showText = true;
};

}  // namespace kroyna::report
