// The automatic stock check of the running program, at start and at exit:
// runs the real program with its messages answered on standard error.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kProgram = QStringLiteral(KROYNA_BINARY_DIR "/app/kroyna");
const QString kShortage = QStringLiteral("Недостаточно следующих стандартных листов на складе");
const QString kEnough = QStringLiteral("Стандартных листов на складе достаточно!");

class AutomaticStockCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFile::exists(kProgram)) GTEST_SKIP() << "program not built";
    ASSERT_TRUE(tmp_.isValid());
    home_ = tmp_.filePath("home");
    ASSERT_TRUE(QDir().mkpath(home_));
  }

  // A first start on the example stock with these settings; what the
  // program said on standard error.
  QString run(const QByteArray& settings) {
    QFile ini(home_ + "/Kroyna.ini");
    EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(settings);
    ini.close();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KROYNA_AUTO_ANSWER_MESSAGES", "1");
    env.insert("KROYNA_QUIT_AFTER_MS", "1500");
    env.remove("KROYNA_HOME");
    p.setProcessEnvironment(env);
    p.start(kProgram, {"--home", home_});
    EXPECT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0);
    return QString::fromUtf8(p.readAllStandardError());
  }

  QTemporaryDir tmp_;
  QString home_;
};

TEST_F(AutomaticStockCheck, WithAllMinimumsZeroStartAndExitShowNothing) {
  const QString said = run("[Default]\r\nVersion=2\r\nCheckStdSheetsQuantity=1\r\n");
  EXPECT_FALSE(said.contains(kShortage)) << said.toStdString();
  EXPECT_FALSE(said.contains(kEnough)) << said.toStdString();
}

TEST_F(AutomaticStockCheck, AShortageIsShownAtStartAndAtExitOnlyWhileSwitchedOn) {
  const QByteArray minimum = "[Material1]\r\nWH=100000\r\n";
  QString said = run("[Default]\r\nVersion=2\r\nCheckStdSheetsQuantity=1\r\n" + minimum);
  EXPECT_EQ(said.count(kShortage), 2) << said.toStdString();
  EXPECT_TRUE(said.contains(QStringLiteral("шт. (из 100000)"))) << said.toStdString();
  said = run("[Default]\r\nVersion=2\r\nCheckStdSheetsQuantity=0\r\n" + minimum);
  EXPECT_FALSE(said.contains(kShortage)) << said.toStdString();
}

}  // namespace
