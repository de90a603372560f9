#pragma once

// The journal of results accepted into stock, so that the same maps are not
// booked twice (a saved maps file reopened the next day, or opened in two
// windows).
//
// The file is `Warehouse/AcceptedMaps.txt` of the data root, UTF-8 text,
// one entry a line, fields separated by one TAB:
//   digest of the maps (64 hexadecimal digits, see mapsDigest),
//   local date and time of the accept (yyyy-MM-ddTHH:mm:ss),
//   the caption the maps had (tabs and line breaks turned into blanks).
// Lines that start with "#" and empty lines are comments. New entries are
// appended; the file is rewritten through the one safe writer, keeping
// every line that was there, damaged ones too.
//
// A damaged journal never stops an accept: its readable entries still
// count, and what could not be read is reported to the caller.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <vector>

namespace kroyna::maps {

class MapsDocument;

// What makes two results the same cut: every map in tab order with its
// material code, sheet size, quantity, whether the sheet is an offcut from
// stock and that offcut's stock name; its parts (code name, place, size,
// edge codes) and offcuts (place and size); and the number of standard
// sheets each used-sheets entry consumed. Captions, file names, display
// settings, offcut names and kinds (names are given on accepting, kinds
// follow the criteria of the day) are left out. SHA-256, lower-case hex.
QString mapsDigest(const MapsDocument& document);

struct AcceptEntry {
  QString digest;
  QDateTime when;  // local time, whole seconds
  QString caption;
};

// "17.05.2024 10:30", as the question and the status line show it.
QString acceptTimeText(const QDateTime& when);

struct JournalContents {
  std::vector<AcceptEntry> entries;  // in file order
  // What could not be read, for the user: the file as a whole, or the
  // numbers of damaged lines. Empty when everything was read.
  QString problem;
};

class AcceptJournal {
 public:
  explicit AcceptJournal(std::filesystem::path file);

  // The journal of a data root.
  static std::filesystem::path pathIn(const std::filesystem::path& dataRoot);
  const std::filesystem::path& file() const { return file_; }

  // A missing file is an empty journal.
  JournalContents read() const;
  // The latest entry of a digest in `contents`.
  static std::optional<AcceptEntry> latest(const JournalContents& contents, const QString& digest);

  // Appends an entry (creating the folder and the file when missing).
  // Throws with the reason when it cannot be written, or when the file is
  // there but cannot be read (it would lose the entries it holds).
  void append(const AcceptEntry& entry);

 private:
  std::filesystem::path file_;
};

}  // namespace kroyna::maps
