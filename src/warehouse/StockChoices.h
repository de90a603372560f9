#pragma once

// What the sheet choice and the run-out question give back, and the
// choice of a row of the standard-sheet view, without their dialogs.

#include <QString>

#include <cstdint>
#include <variant>

namespace kroyna::dbase {
class Table;
}

namespace kroyna::warehouse {

struct SheetChoice {
  std::int32_t length = 0;
  std::int32_t width = 0;
  std::int32_t quantity = 0;
  bool operator==(const SheetChoice&) const = default;
};

// What "&Да" does on the sheet view: the current row's values (0 for a
// quantity that cannot be read), or the message for an empty view or for
// a row whose length or width is outside 1..kMaxSizeMm.
std::variant<SheetChoice, QString> pickSheet(dbase::Table& view, const QString& materialName);

// How to go on when the standard sheets ran out.
enum class RunOutChoice { Finish = 0, ContinueCurrentSize = 1, OtherSize = 2 };

}  // namespace kroyna::warehouse
