// libFuzzer target for the readers of report templates and prepared
// reports, both files a user can edit or bring from elsewhere. Seed it
// with tests/data/report/*.frf.
#include "platform/report/PreparedReport.h"
#include "platform/report/ReportError.h"
#include "platform/report/Template.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  try {
    kroyna::report::Template t = kroyna::report::Template::parse(bytes, QStringLiteral("fuzz.frf"));
    // What was read must write and read back.
    kroyna::report::Template::parse(t.toXml(), QStringLiteral("again.frf"));
  } catch (const kroyna::report::ReportError&) {
  }
  try {
    kroyna::report::PreparedReport r = kroyna::report::PreparedReport::parse(bytes, QStringLiteral("fuzz.kpr"));
    kroyna::report::PreparedReport::parse(r.toXml(), QStringLiteral("again.kpr"));
  } catch (const kroyna::report::ReportError&) {
  }
  return 0;
}
