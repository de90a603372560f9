#pragma once

// What the import, export and merge tests share: a program folder, parts
// windows as bare documents, and a message log that answers questions.

#include "models/ModelsBase.h"
#include "parts/PartsDocument.h"
#include "parts/PartsTestSupport.h"
#include "platform/text/Cp1251.h"
#include "platform/text/Literals.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
// Messages in the notes of failed checks.
inline std::ostream& operator<<(std::ostream& os, const QString& s) { return os << s.toStdString(); }

namespace kroyna::parts::test {

using text::u;
inline const QString kImportData = QStringLiteral(KROYNA_TEST_DATA_DIR "/imports");

// Records every message with its icon; questions take the queued answers,
// then Yes.
struct Answers {
  QStringList texts;
  std::vector<common::MsgIcon> icons;
  std::deque<common::MsgResult> answers;
  common::ScopedMessageHandler handler{[this](const QString& text, common::MsgIcon icon, common::MsgButtons buttons) {
    texts << text;
    icons.push_back(icon);
    if (buttons == common::MsgButtons::Ok) return common::MsgResult::Ok;
    if (answers.empty()) return common::MsgResult::Yes;
    const common::MsgResult a = answers.front();
    answers.pop_front();
    return a;
  }};
  QString last() const { return texts.isEmpty() ? QString() : texts.last(); }
};

// Parts windows as documents with the sample catalogue; the shown ones are
// kept for the test.
class DocumentHost : public models::PartsHost {
 public:
  explicit DocumentHost(PartsFolder& folder) : folder_(folder) {}
  PartsDocument* newDocument() override {
    pending_.push_back(folder_.document());
    ++made;
    return pending_.back().get();
  }
  void show(PartsDocument* doc) override { shown.push_back(take(doc)); }
  void discard(PartsDocument* doc) override {
    take(doc).reset();
    ++discarded;
  }
  PartsDocument& last() { return *shown.back(); }

  std::vector<std::unique_ptr<PartsDocument>> shown;
  int made = 0;
  int discarded = 0;

 private:
  std::unique_ptr<PartsDocument> take(PartsDocument* doc) {
    for (auto it = pending_.begin(); it != pending_.end(); ++it)
      if (it->get() == doc) {
        std::unique_ptr<PartsDocument> d = std::move(*it);
        pending_.erase(it);
        return d;
      }
    return nullptr;
  }
  PartsFolder& folder_;
  std::vector<std::unique_ptr<PartsDocument>> pending_;
};

inline void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

inline QByteArray fileBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

// UTF-8 text as code page 1251 bytes.
inline QByteArray cp1251(const char* utf8) { return QByteArray::fromStdString(text::utf8ToCp1251(utf8)); }

inline PartRow row(const char* name, int length, int width, int quantity, int rotation = 0, int left = 0, int right = 0,
                   int top = 0, int bottom = 0, int material = 1) {
  return PartRow{name, length, width, quantity, rotation, left, right, top, bottom, material};
}

}  // namespace kroyna::parts::test
