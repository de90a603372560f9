#include "platform/report/PreparedReport.h"

#include "platform/report/ReportError.h"
#include "platform/report/Template.h"

#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>

namespace kroyna::report {

PreparedPage::PreparedPage(const PreparedPage& o) : size(o.size) {
  for (const auto& obj : o.objects) objects.push_back(obj->clone());
}

PreparedPage& PreparedPage::operator=(const PreparedPage& o) {
  if (this != &o) {
    PreparedPage copy(o);
    *this = std::move(copy);
  }
  return *this;
}

std::vector<FindHit> PreparedReport::find(const QString& needle) const {
  std::vector<FindHit> hits;
  if (needle.isEmpty()) return hits;
  for (int p = 0; p < pageCount(); ++p) {
    const auto& objs = pages[static_cast<size_t>(p)].objects;
    std::vector<int> order(objs.size());
    for (size_t i = 0; i < objs.size(); ++i) order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      const ReportObject& x = *objs[static_cast<size_t>(a)];
      const ReportObject& y = *objs[static_cast<size_t>(b)];
      return x.y != y.y ? x.y < y.y : x.x < y.x;
    });
    for (int i : order)
      for (const QString& t : objs[static_cast<size_t>(i)]->texts())
        if (t.contains(needle, Qt::CaseInsensitive)) {
          hits.push_back({p, i});
          break;
        }
  }
  return hits;
}

PreparedReport PreparedReport::read(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    throw ReportError("Не удается открыть файл отчета \"" + path.toStdString() +
                      "\": " + f.errorString().toStdString());
  return parse(f.readAll(), path);
}

PreparedReport PreparedReport::parse(const QByteArray& xml, const QString& origin) {
  QXmlStreamReader r(xml);
  PreparedReport rep;
  try {
    if (!r.readNextStartElement() || r.name() != QLatin1String("preparedReport")) {
      if (r.hasError()) throw ReportError(r.errorString().toStdString());
      throw ReportError("это не сохраненный отчет");
    }
    rep.title = r.attributes().value(QLatin1String("title")).toString();
    rep.notice = r.attributes().value(QLatin1String("notice")).toString();
    while (r.readNextStartElement()) {
      if (r.name() != QLatin1String("page"))
        throw ReportError("Неизвестный элемент \"" + r.name().toString().toStdString() + "\"");
      PreparedPage page;
      bool okW = false, okH = false;
      double w = r.attributes().value(QLatin1String("width")).toDouble(&okW);
      double h = r.attributes().value(QLatin1String("height")).toDouble(&okH);
      if (!okW || !okH || !(w > 0 && w < 100000) || !(h > 0 && h < 100000))
        throw ReportError("неверный размер страницы");
      page.size = QSizeF(w, h);
      while (r.readNextStartElement()) {
        if (r.name() != QLatin1String("object"))
          throw ReportError("Неизвестный элемент \"" + r.name().toString().toStdString() + "\" на странице");
        auto obj = readObjectElement(r);
        // A prepared page holds final values only.
        obj->bindings.clear();
        page.objects.push_back(std::move(obj));
      }
      rep.pages.push_back(std::move(page));
    }
    if (r.hasError()) throw ReportError(r.errorString().toStdString());
  } catch (const ReportError& e) {
    throw ReportError("Ошибка чтения отчета \"" + origin.toStdString() + "\", строка " +
                      std::to_string(r.lineNumber()) + ": " + e.what());
  }
  return rep;
}

QByteArray PreparedReport::toXml() const {
  QByteArray out;
  QXmlStreamWriter w(&out);
  w.setAutoFormatting(true);
  w.writeStartDocument();
  w.writeStartElement(QStringLiteral("preparedReport"));
  if (!title.isEmpty()) w.writeAttribute(QStringLiteral("title"), title);
  if (!notice.isEmpty()) w.writeAttribute(QStringLiteral("notice"), notice);
  for (const PreparedPage& p : pages) {
    w.writeStartElement(QStringLiteral("page"));
    w.writeAttribute(QStringLiteral("width"), QString::number(p.size.width(), 'g', 10));
    w.writeAttribute(QStringLiteral("height"), QString::number(p.size.height(), 'g', 10));
    for (const auto& o : p.objects) writeObjectElement(w, *o);
    w.writeEndElement();
  }
  w.writeEndElement();
  w.writeEndDocument();
  return out;
}

void PreparedReport::write(const QString& path) const { saveFileAtomically(path, toXml()); }

}  // namespace kroyna::report
