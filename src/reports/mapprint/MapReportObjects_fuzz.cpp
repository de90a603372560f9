// libFuzzer target for the readers of report templates and prepared
// reports with the cutting map and parts list objects registered, so that
// their binary streams (fonts, styles, elements, rows, counts and lengths)
// are read from damaged files too. Seed it with data/Reports/RskMaps.frf
// and tests/data/report/MapReport*.kpr.
//
// Input that starts like XML ("<", or the UTF-8 byte order mark) is read
// as a template and as a prepared report; any other input is the bare
// stream of one of the two objects, its first byte choosing which (odd:
// parts list, even: cutting map), so that the fuzzer need not keep base64
// intact to reach the stream.

#include "platform/report/PreparedReport.h"
#include "platform/report/ReportError.h"
#include "platform/report/Template.h"
#include "reports/mapprint/MapReportObjects.h"

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
  if (data[0] == '<' || data[0] == 0xEF) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
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
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  // A stream that was read must write and read back.
  if (data[0] & 1) {
    reports::PartsListReportView list;
    try {
      list.loadStream(rest);
    } catch (const report::ReportError&) {
      return 0;
    }
    reports::PartsListReportView again;
    again.loadStream(list.saveStream());
  } else {
    reports::MapReportView map;
    try {
      map.loadStream(rest);
    } catch (const report::ReportError&) {
      return 0;
    }
    reports::MapReportView again;
    again.loadStream(map.saveStream());
  }
  return 0;
}
