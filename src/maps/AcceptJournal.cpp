#include "maps/AcceptJournal.h"

#include "maps/MapsDocument.h"
#include "platform/file/SafeFile.h"
#include "platform/text/Cp1251.h"

#include <QCryptographicHash>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>

namespace kroyna::maps {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTimeFormat = "yyyy-MM-ddTHH:mm:ss";
constexpr const char* kFirstLine =
    "# Kroyna: результаты раскроя, принятые на склад (отпечаток карт, дата и время, название)\n";
// Damaged lines named in a report before "...".
constexpr int kLinesNamed = 5;

// Texts as the maps file keeps them (50 characters of code page 1251), so
// that a result and the file it was saved to give one digest.
std::string asStored(const std::string& utf8) {
  std::string bytes = text::utf8ToCp1251(utf8);
  if (bytes.size() > 50) bytes.resize(50);
  return bytes;
}

bool isDigest(const QString& s) {
  if (s.size() != 64) return false;
  return std::all_of(s.begin(), s.end(), [](QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
  });
}

QString oneLine(QString text) {
  for (QChar& c : text)
    if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) c = QLatin1Char(' ');
  return text;
}

QString shown(const fs::path& p) { return QString::fromStdString(p.string()); }

}  // namespace

QString mapsDigest(const MapsDocument& doc) {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  std::ostringstream out;
  out << "maps 1\n";
  for (const SheetMap& m : doc.maps()) {
    out << "S " << m.MaterialCode << ' ' << m.length << ' ' << m.width << ' ' << m.Quantity << ' ' << m.IsScraps << ' '
        << asStored(m.SheetName).size() << ':' << asStored(m.SheetName) << '\n';
    for (const MapPart& p : m.Parts)
      out << "P " << p.x << ' ' << p.y << ' ' << p.length << ' ' << p.width << ' ' << p.LeftBorder << ' '
          << p.RightBorder << ' ' << p.TopBorder << ' ' << p.BottomBorder << ' ' << asStored(p.Title).size() << ':'
          << asStored(p.Title) << '\n';
    for (const MapOffcut& o : m.Offcuts) out << "O " << o.x << ' ' << o.y << ' ' << o.length << ' ' << o.width << '\n';
  }
  for (const UsedSheet& u : doc.usingSheets().entries())
    out << "U " << u.materialCode << ' ' << u.length << ' ' << u.width << ' '
        << std::max<long long>(0, static_cast<long long>(u.initial) - u.remaining) << '\n';
  const std::string bytes = out.str();
  hash.addData(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  return QString::fromLatin1(hash.result().toHex());
}

QString acceptTimeText(const QDateTime& when) { return when.toString(QStringLiteral("dd.MM.yyyy HH:mm")); }

AcceptJournal::AcceptJournal(fs::path file) : file_(std::move(file)) {}

fs::path AcceptJournal::pathIn(const fs::path& dataRoot) { return dataRoot / "Warehouse" / "AcceptedMaps.txt"; }

namespace {

// The bytes of the journal; nothing when it does not exist. Throws with
// the reason when it is there but cannot be read.
std::optional<std::string> journalBytes(const fs::path& file) {
  std::error_code ec;
  if (!fs::exists(file, ec) && !ec) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) throw platform::FileError(file, "не удаётся открыть файл");
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) throw platform::FileError(file, "не удаётся прочитать файл");
  return buffer.str();
}

}  // namespace

JournalContents AcceptJournal::read() const {
  JournalContents out;
  std::optional<std::string> bytes;
  try {
    bytes = journalBytes(file_);
  } catch (const platform::FileError& e) {
    out.problem = QStringLiteral("Журнал принятых раскроев \"%1\" не читается: %2.")
                      .arg(shown(file_), QString::fromStdString(e.reason()));
    return out;
  }
  if (!bytes) return out;
  const QStringList lines =
      QString::fromUtf8(bytes->data(), static_cast<qsizetype>(bytes->size())).split(QLatin1Char('\n'));
  QStringList damaged;
  int damagedCount = 0;
  for (int i = 0; i < lines.size(); ++i) {
    QString line = lines[i];
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    const QStringList fields = line.split(QLatin1Char('\t'));
    AcceptEntry e;
    if (fields.size() >= 2) {
      e.digest = fields[0];
      e.when = QDateTime::fromString(fields[1], QString::fromLatin1(kTimeFormat));
      e.caption = fields.mid(2).join(QLatin1Char(' '));
    }
    if (fields.size() < 2 || !isDigest(e.digest) || !e.when.isValid()) {
      if (++damagedCount <= kLinesNamed) damaged << QString::number(i + 1);
      continue;
    }
    out.entries.push_back(std::move(e));
  }
  if (damagedCount > 0)
    out.problem =
        QStringLiteral("Журнал принятых раскроев \"%1\" повреждён: не прочитаны строки %2%3 (всего %4).")
            .arg(shown(file_), damaged.join(QStringLiteral(", ")),
                 damagedCount > kLinesNamed ? QStringLiteral(", ...") : QString(), QString::number(damagedCount));
  return out;
}

std::optional<AcceptEntry> AcceptJournal::latest(const JournalContents& contents, const QString& digest) {
  for (auto it = contents.entries.rbegin(); it != contents.entries.rend(); ++it)
    if (it->digest == digest) return *it;
  return std::nullopt;
}

void AcceptJournal::append(const AcceptEntry& entry) {
  std::string bytes = journalBytes(file_).value_or(kFirstLine);
  if (!bytes.empty() && bytes.back() != '\n') bytes += '\n';
  bytes += (entry.digest + QLatin1Char('\t') + entry.when.toString(QString::fromLatin1(kTimeFormat)) +
            QLatin1Char('\t') + oneLine(entry.caption) + QLatin1Char('\n'))
               .toStdString();
  std::error_code ec;
  fs::create_directories(file_.parent_path(), ec);
  platform::writeFileAtomically(file_, bytes);
}

}  // namespace kroyna::maps
