// Qt's own dialogs in Russian: the standard buttons and the file dialog
// after the start-up loads Qt's translations.
#include "shell/QtTranslations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>

#include <gtest/gtest.h>

#include <memory>

using namespace kroyna::shell;

namespace {

// Installs the translations for one test and takes them away after it, so
// that the other tests see Qt as it starts.
class QtTranslations : public ::testing::Test {
 protected:
  void TearDown() override {
    if (translator_) QCoreApplication::removeTranslator(translator_);
    delete translator_;
  }
  QTranslator* translator_ = nullptr;
};

}  // namespace

TEST_F(QtTranslations, StandardButtonsAndTheFileDialogSpeakRussian) {
  QDialogButtonBox before(QDialogButtonBox::Cancel);
  EXPECT_EQ(before.button(QDialogButtonBox::Cancel)->text(), "Cancel");

  translator_ = installQtTranslations();
  ASSERT_NE(translator_, nullptr) << "qtbase_ru.qm is missing: install qt6-translations-l10n";
  QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), "Отмена");

  // The program's open dialog, Qt's own (not the desktop's).
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Groups")));
  for (const char* name : {"Groups/Пример.krb", "Groups/Кухня Ольха.krb", "Groups/Шкаф-купе.krb"}) {
    QFile f(dir.filePath(QString::fromUtf8(name)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(2048, 'x'));
  }
  QFileDialog dialog(nullptr, QStringLiteral("Открыть базу деталей"), dir.filePath(QStringLiteral("Groups")),
                     QStringLiteral("Файлы баз деталей (*.krb);;Все файлы (*)"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  auto* buttons = dialog.findChild<QDialogButtonBox*>();
  ASSERT_NE(buttons, nullptr);
  EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), "Отмена");
  QStringList labels;
  for (const QLabel* l : dialog.findChildren<QLabel*>()) labels << l->text();
  for (const char* english : {"Look in:", "File &name:", "Files of type:"})
    EXPECT_FALSE(labels.contains(QLatin1String(english))) << english << " in " << labels.join('|').toStdString();

  const QString shots = qEnvironmentVariable("KROYNA_SCREENSHOT_DIR");
  if (!shots.isEmpty()) {
    dialog.resize(900, 480);
    dialog.show();
    for (int i = 0; i < 20; ++i) QApplication::processEvents();  // the folder is read in the background
    dialog.grab().save(shots + "/file-dialog-russian.png");
  }
}

TEST_F(QtTranslations, AMissingCatalogueChangesNothing) {
  QTemporaryDir empty;
  EXPECT_EQ(installQtTranslations(empty.path()), nullptr);
  QDialogButtonBox box(QDialogButtonBox::Cancel);
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), "Cancel");
}
