// libFuzzer target for the readers of report templates and prepared
// reports with the cutting map and parts list objects registered, so that
// their binary streams (fonts, styles, elements, rows, counts and lengths)
// are read from damaged files too. Seed it with data/Reports/RskMaps.frf
// and tests/data/report/MapReport*.kpr.
//
// The first byte chooses how the rest is read: odd, as XML of a template
// or prepared report; even, as the bare stream of one of the two objects
// (so that the fuzzer need not keep base64 intact to reach the stream).

#include "platform/report/PreparedReport.h"
#include "platform/report/ReportError.h"
#include "platform/report/Template.h"
#include "reports/MapReportObjects.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace kroyna;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool registered = (reports::registerMapReportObjects(), true);
  (void)registered;
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] & 1) {
    const QByteArray bytes(rest.data(), static_cast<qsizetype>(rest.size()));
    try {
      report::Template t = report::Template::parse(bytes, QStringLiteral("fuzz.frf"));
      report::Template::parse(t.toXml(), QStringLiteral("again.frf"));
    } catch (const report::ReportError&) {
    }
    try {
      report::PreparedReport r = report::PreparedReport::parse(bytes, QStringLiteral("fuzz.kpr"));
      report::PreparedReport::parse(r.toXml(), QStringLiteral("again.kpr"));
    } catch (const report::ReportError&) {
    }
    return 0;
  }
  // A stream that was read must write and read back.
  if (data[0] & 2) {
    reports::TfrDetalsListView list;
    try {
      list.loadStream(rest);
    } catch (const report::ReportError&) {
      return 0;
    }
    reports::TfrDetalsListView again;
    again.loadStream(list.saveStream());
  } else {
    reports::TfrRskMapView map;
    try {
      map.loadStream(rest);
    } catch (const report::ReportError&) {
      return 0;
    }
    reports::TfrRskMapView again;
    again.loadStream(map.saveStream());
  }
  return 0;
}
