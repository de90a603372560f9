#pragma once

// A program folder for the parts tests: the shipped template table and
// report templates, an empty settings file, and catalogue lists made by
// hand (materials "ДСП белый" 1, "МДФ" 2, "Фанера" 3; edges "ПВХ 2 мм"
// 10 with 5 mm allowance, "Меламин" 11 without).

#include "common/Messages.h"
#include "parts/PartsDocument.h"
#include "platform/ini/IniFile.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace kroyna::parts::test {

inline CatalogueLists sampleCatalogue() {
  CatalogueLists c;
  c.materials.names = {QStringLiteral("<все материалы>"), QStringLiteral("ДСП белый"), QStringLiteral("МДФ"),
                       QStringLiteral("Фанера")};
  c.materials.codes = {QStringLiteral("999"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
  c.edges.codes = {QStringLiteral("0"), QStringLiteral("11"), QStringLiteral("10")};
  c.edges.names = {QStringLiteral("<нет>"), QStringLiteral("Меламин"), QStringLiteral("ПВХ 2 мм")};
  c.edges.colors = {QStringLiteral("-2147483633"), QStringLiteral("255"), QStringLiteral("65280")};
  c.edges.allowances = {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("5")};
  c.defaultEdge = 10;
  return c;
}

// Records every message and answers questions with `answer`.
struct MessageLog {
  QStringList texts;
  common::MsgResult answer = common::MsgResult::Yes;
  common::ScopedMessageHandler handler{[this](const QString& text, common::MsgIcon, common::MsgButtons buttons) {
    texts << text;
    if (buttons == common::MsgButtons::Ok) return common::MsgResult::Ok;
    return answer;
  }};
};

class PartsFolder {
 public:
  PartsFolder() {
    const QString root = dir_.path();
    for (const char* sub : {"Pattern", "Temp", "Groups", "Reports", "Export"})
      QDir(root).mkpath(QString::fromLatin1(sub));
    QFile::copy(QStringLiteral(KROYNA_SOURCE_DATA_DIR "/Pattern/Group.dbf"),
                root + QStringLiteral("/Pattern/Group.dbf"));
    for (const QString& name : QDir(QStringLiteral(KROYNA_SOURCE_DATA_DIR "/Reports")).entryList(QDir::Files))
      QFile::copy(QStringLiteral(KROYNA_SOURCE_DATA_DIR "/Reports/") + name, root + QStringLiteral("/Reports/") + name);
    settings_ = std::make_unique<ini::IniFile>((root + QStringLiteral("/Kroyna.ini")).toStdString());
    PartsDocument::resetNewBaseCounter();
  }

  QString root() const { return dir_.path(); }
  QString path(const QString& relative) const { return dir_.path() + QLatin1Char('/') + relative; }
  ini::IniFile& settings() { return *settings_; }

  std::unique_ptr<PartsDocument> document() {
    auto doc = std::make_unique<PartsDocument>(root(), *settings_);
    doc->setCatalogue(sampleCatalogue());
    return doc;
  }

 private:
  QTemporaryDir dir_;
  std::unique_ptr<ini::IniFile> settings_;
};

}  // namespace kroyna::parts::test
