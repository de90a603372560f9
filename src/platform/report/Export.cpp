#include "platform/report/Export.h"

#include "platform/report/Template.h"

#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace kroyna::report {

namespace {

struct Cell {
  const ReportObject* obj;
  QStringList lines;
};

using Row = std::vector<Cell>;

QStringList linesOf(const ReportObject& o) {
  QStringList out;
  for (const QString& t : o.texts()) out += t.split(QLatin1Char('\n'));
  return out;
}

std::vector<Row> rowsOf(const PreparedPage& page) {
  std::vector<const ReportObject*> objs;
  for (const auto& o : page.objects)
    if (!o->texts().isEmpty()) objs.push_back(o.get());
  std::stable_sort(objs.begin(), objs.end(), [](const ReportObject* a, const ReportObject* b) { return a->y < b->y; });
  std::vector<Row> rows;
  double rowTop = 0;
  for (const ReportObject* o : objs) {
    // Objects whose tops lie within 2 units of the row's first object share its row.
    if (rows.empty() || o->y - rowTop > 2.0) {
      rows.emplace_back();
      rowTop = o->y;
    }
    rows.back().push_back({o, linesOf(*o)});
  }
  for (Row& r : rows)
    std::stable_sort(r.begin(), r.end(), [](const Cell& a, const Cell& b) { return a.obj->x < b.obj->x; });
  return rows;
}

double leftmost(const PreparedReport& rep) {
  double m = 1e9;
  for (const auto& p : rep.pages)
    for (const auto& o : p.objects)
      if (!o->texts().isEmpty()) m = std::min(m, o->x);
  return m == 1e9 ? 0 : m;
}

QByteArray toText(const PreparedReport& rep) {
  // About the width of an average character of a 10 pt font.
  constexpr double kUnitsPerColumn = 6.0;
  const double left = leftmost(rep);
  QString out;
  for (size_t pi = 0; pi < rep.pages.size(); ++pi) {
    if (pi > 0) out += QLatin1Char('\n');
    for (const Row& row : rowsOf(rep.pages[pi])) {
      int height = 0;
      for (const Cell& c : row) height = std::max(height, static_cast<int>(c.lines.size()));
      for (int k = 0; k < height; ++k) {
        QString line;
        for (const Cell& c : row) {
          if (k >= c.lines.size() || c.lines[k].isEmpty()) continue;
          int col = static_cast<int>(std::lround((c.obj->x - left) / kUnitsPerColumn));
          if (line.size() < col)
            line += QString(col - line.size(), QLatin1Char(' '));
          else if (!line.isEmpty())
            line += QLatin1Char(' ');
          line += c.lines[k];
        }
        while (line.endsWith(QLatin1Char(' '))) line.chop(1);
        out += line + QLatin1Char('\n');
      }
    }
  }
  return out.toUtf8();
}

QString csvField(const QString& s) {
  if (!s.contains(QLatin1Char(';')) && !s.contains(QLatin1Char('"')) && !s.contains(QLatin1Char('\n')) &&
      !s.contains(QLatin1Char('\r')))
    return s;
  QString q = s;
  q.replace(QLatin1String("\""), QLatin1String("\"\""));
  return QLatin1Char('"') + q + QLatin1Char('"');
}

QByteArray toCsv(const PreparedReport& rep) {
  QString out;
  for (const PreparedPage& p : rep.pages)
    for (const Row& row : rowsOf(p)) {
      QStringList fields;
      for (const Cell& c : row) fields << csvField(c.lines.join(QLatin1Char('\n')));
      out += fields.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
  return out.toUtf8();
}

QString px(double units) { return QString::number(units * 96.0 / kUnitsPerInch, 'f', 2) + QStringLiteral("px"); }

QByteArray toHtml(const PreparedReport& rep) {
  QString out;
  out += QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>") + rep.title.toHtmlEscaped() +
         QStringLiteral(
             "</title>\n<style>\nbody{background:#888;margin:0;padding:8px}\n"
             ".page{position:relative;background:#fff;margin:0 auto 8px auto;overflow:hidden}\n"
             ".o{position:absolute;overflow:hidden;box-sizing:border-box;white-space:pre}\n"
             "</style></head><body>\n");
  for (const PreparedPage& p : rep.pages) {
    out += QStringLiteral("<div class=\"page\" style=\"width:%1;height:%2\">\n")
               .arg(px(p.size.width()), px(p.size.height()));
    for (const auto& o : p.objects) {
      QString style = QStringLiteral("left:%1;top:%2;width:%3;height:%4;")
                          .arg(px(o->x), px(o->y), px(std::max(o->width, 1.0)), px(std::max(o->height, 1.0)));
      const QString border = QStringLiteral("%1 solid %2;").arg(px(std::max(o->frameWidth, 0.5)), o->frameColor.name());
      if (auto* line = dynamic_cast<const LineObject*>(o.get())) {
        // Lines across or down the page; slanted lines are not shown.
        if (line->height == 0)
          style = QStringLiteral("left:%1;top:%2;width:%3;height:0;border-top:%4")
                      .arg(px(o->x), px(o->y), px(o->width), border);
        else if (line->width == 0)
          style = QStringLiteral("left:%1;top:%2;width:0;height:%3;border-left:%4")
                      .arg(px(o->x), px(o->y), px(o->height), border);
        else
          continue;
        out += QStringLiteral("<div class=\"o\" style=\"%1\"></div>\n").arg(style);
        continue;
      }
      if (o->frameLines & FrameLeft) style += QStringLiteral("border-left:") + border;
      if (o->frameLines & FrameTop) style += QStringLiteral("border-top:") + border;
      if (o->frameLines & FrameRight) style += QStringLiteral("border-right:") + border;
      if (o->frameLines & FrameBottom) style += QStringLiteral("border-bottom:") + border;
      if (o->fill.isValid()) style += QStringLiteral("background:%1;").arg(o->fill.name());
      QString content;
      if (auto* t = dynamic_cast<const TextObject*>(o.get())) {
        style +=
            QStringLiteral("font-family:'%1';font-size:%2pt;padding:%3;color:%4;")
                .arg(t->font.family.toHtmlEscaped(), QString::number(t->font.size), px(kTextPadding), t->color.name());
        if (t->font.bold) style += QStringLiteral("font-weight:bold;");
        if (t->font.italic) style += QStringLiteral("font-style:italic;");
        if (t->font.underline) style += QStringLiteral("text-decoration:underline;");
        if (t->align == HAlign::Right) style += QStringLiteral("text-align:right;");
        if (t->align == HAlign::Center) style += QStringLiteral("text-align:center;");
        QStringList ls;
        for (const QString& l : t->lines) ls << l.toHtmlEscaped();
        content = ls.join(QStringLiteral("<br>"));
      } else {
        content =
            o->texts().join(QLatin1Char('\n')).toHtmlEscaped().replace(QLatin1String("\n"), QLatin1String("<br>"));
      }
      out += QStringLiteral("<div class=\"o\" style=\"%1\">%2</div>\n").arg(style, content);
    }
    out += QStringLiteral("</div>\n");
  }
  out += QStringLiteral("</body></html>\n");
  return out.toUtf8();
}

QByteArray rtfText(const QString& s) {
  QByteArray out;
  for (QChar ch : s) {
    ushort c = ch.unicode();
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\line ";
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (c >= 0x20 && c < 0x80) {
      out += static_cast<char>(c);
    } else if (c >= 0x80) {
      out += "\\u" + QByteArray::number(static_cast<short>(c)) + '?';
    }
  }
  return out;
}

QByteArray toRtf(const PreparedReport& rep) {
  constexpr double kTwipsPerUnit = 1440.0 / kUnitsPerInch;
  const double left = leftmost(rep);
  QByteArray out = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}}\\f0\\fs20\n";
  for (size_t pi = 0; pi < rep.pages.size(); ++pi) {
    if (pi > 0) out += "\\page\n";
    for (const Row& row : rowsOf(rep.pages[pi])) {
      out += "\\trowd\\trgaph60";
      double prevRight = 0;
      for (const Cell& c : row) {
        double right = std::max(prevRight + 10, c.obj->x - left + c.obj->width);
        out += "\\cellx" + QByteArray::number(static_cast<int>(std::lround(right * kTwipsPerUnit)));
        prevRight = right;
      }
      out += "\n";
      for (const Cell& c : row) {
        out += "\\pard\\intbl ";
        if (auto* t = dynamic_cast<const TextObject*>(c.obj)) {
          if (t->align == HAlign::Right) out += "\\qr ";
          if (t->align == HAlign::Center) out += "\\qc ";
          out += "\\fs" + QByteArray::number(static_cast<int>(std::lround(t->font.size * 2))) + ' ';
          if (t->font.bold) out += "\\b ";
        }
        out += rtfText(c.lines.join(QLatin1Char('\n'))) + "\\b0\\cell\n";
      }
      out += "\\row\n";
    }
  }
  out += "}\n";
  return out;
}

}  // namespace

QByteArray exportBytes(const PreparedReport& report, ExportFormat format) {
  switch (format) {
    case ExportFormat::Rtf: return toRtf(report);
    case ExportFormat::Text: return toText(report);
    case ExportFormat::Csv: return toCsv(report);
    case ExportFormat::Html: return toHtml(report);
  }
  return {};
}

void exportToFile(const PreparedReport& report, ExportFormat format, const QString& path) {
  saveFileAtomically(path, exportBytes(report, format));
}

}  // namespace kroyna::report
