#pragma once

#include "platform/report/Value.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kroyna::report {

// The records of a report, read in order: first() goes to the first
// record, next() to the one after, eof() is true past the last. The
// engine reads field values by name for the current record; a name the
// source does not know gives std::nullopt, so that the engine can look
// further (variables, template values).
class RecordSource {
 public:
  virtual ~RecordSource() = default;
  virtual void first() = 0;
  virtual void next() = 0;
  virtual bool eof() const = 0;
  virtual std::optional<Value> field(std::string_view name) const = 0;
};

// A record source that the program drives: the engine's calls go to the
// functions given. A missing `field` function means the records carry no
// fields of their own; the program then answers through the variable
// callback for the current record.
class DrivenRecordSource : public RecordSource {
 public:
  struct Callbacks {
    std::function<void()> first;
    std::function<void()> next;
    std::function<bool()> eof;
    std::function<std::optional<Value>(std::string_view)> field;
  };
  explicit DrivenRecordSource(Callbacks callbacks);

  void first() override;
  void next() override;
  bool eof() const override;
  std::optional<Value> field(std::string_view name) const override;

  // A source of `count` records without fields; `index()` is the current
  // record (0-based) for the program's variable callback.
  static DrivenRecordSource counted(int count, int* index);

 private:
  Callbacks cb_;
};

// Rows held in memory with named columns (names found without regard to
// letter case), in row order.
class RowsRecordSource : public RecordSource {
 public:
  explicit RowsRecordSource(std::vector<std::string> columns);
  void addRow(std::vector<Value> values);
  int rowCount() const { return static_cast<int>(rows_.size()); }

  void first() override { current_ = 0; }
  void next() override { ++current_; }
  bool eof() const override { return current_ >= rows_.size(); }
  std::optional<Value> field(std::string_view name) const override;

 private:
  std::vector<std::string> columns_;
  std::vector<std::vector<Value>> rows_;
  size_t current_ = 0;
};

}  // namespace kroyna::report
