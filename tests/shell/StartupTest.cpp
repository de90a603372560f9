// Runs the real program as separate processes: the single-instance test,
// a stale lock, the first start's files and a data root that cannot be
// used.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "shell/SingleInstance.h"

#include <tuple>

namespace {

const QString kProgram = QStringLiteral(KROYNA_BINARY_DIR "/app/kroyna");
const QString kAlreadyRunning = QStringLiteral("Приложение KROYNA уже выполняется!");

void startProgram(QProcess& p, const QString& home, int quitAfterMs) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("KROYNA_AUTO_ANSWER_MESSAGES", "1");
  env.insert("KROYNA_QUIT_AFTER_MS", QString::number(quitAfterMs));
  env.remove("KROYNA_HOME");
  p.setProcessEnvironment(env);
  p.start(kProgram, {"--home", home});
}

bool waitFor(const std::function<bool()>& condition, int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    if (condition()) return true;
    QThread::msleep(50);
  }
  return condition();
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFile::exists(kProgram)) GTEST_SKIP() << "program not built";
    ASSERT_TRUE(tmp_.isValid());
    home_ = tmp_.filePath("home");
  }
  QTemporaryDir tmp_;
  QString home_;
};

}  // namespace

TEST_F(StartupTest, SecondStartShowsMessageAndExitsWhileFirstKeepsRunning) {
  QProcess first;
  startProgram(first, home_, 30000);
  ASSERT_TRUE(first.waitForStarted());
  // The first instance is up once it has written its settings file.
  ASSERT_TRUE(waitFor([&] { return QFile::exists(home_ + "/Kroyna.ini"); }, 20000));
  QThread::msleep(300);

  QProcess second;
  startProgram(second, home_, 30000);
  ASSERT_TRUE(second.waitForFinished(20000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_TRUE(QString::fromUtf8(second.readAllStandardError()).contains(kAlreadyRunning));
  EXPECT_EQ(first.state(), QProcess::Running);

  first.terminate();
  first.waitForFinished(10000);
}

TEST_F(StartupTest, StaleLockOfACrashedRunDoesNotBlockTheNextStart) {
  QDir().mkpath(home_);
  {
    // A lock whose process is long gone, in the lock file's own format.
    QFile lock(kroyna::shell::SingleInstance(home_).lockPath());
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("999999\nkroyna\n" + QSysInfo::machineHostName().toUtf8() + "\n");
  }
  QProcess p;
  startProgram(p, home_, 300);
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_FALSE(QString::fromUtf8(p.readAllStandardError()).contains(kAlreadyRunning));
  // The program ran: it made its working folders and settings.
  EXPECT_TRUE(QFileInfo(home_ + "/Temp").isDir());
  EXPECT_TRUE(QFile::exists(home_ + "/Kroyna.ini"));
}

TEST_F(StartupTest, FirstStartWritesSettingsAndUpgradesOnce) {
  QProcess p;
  startProgram(p, home_, 200);
  ASSERT_TRUE(p.waitForFinished(30000));
  ASSERT_EQ(p.exitCode(), 0);
  QFile ini(home_ + "/Kroyna.ini");
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  const QByteArray text = ini.readAll();
  EXPECT_TRUE(text.contains("CheckStdSheetsQuantity=0\r\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("Version=2\r\n")) << text.toStdString();
  EXPECT_TRUE(QFile::exists(home_ + "/Pattern"));
}

TEST_F(StartupTest, HelpVersionAndWrongOptionsAnswerWithoutADisplayOrADataRoot) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "KROYNA_HOME"}) env.remove(name);
  const auto run = [&](const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(kProgram, args);
    EXPECT_TRUE(p.waitForFinished(30000));
    return std::make_tuple(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                           QString::fromUtf8(p.readAllStandardError()));
  };
  const auto [versionStatus, version, versionErr] = run({"--version"});
  EXPECT_EQ(versionStatus, 0) << versionErr.toStdString();
  EXPECT_TRUE(QRegularExpression("^kroyna \\d+\\.\\d+\\.\\d+\n$").match(version).hasMatch()) << version.toStdString();

  const auto [helpStatus, help, helpErr] = run({"--home", home_, "--help"});
  EXPECT_EQ(helpStatus, 0) << helpErr.toStdString();
  EXPECT_TRUE(help.startsWith("Usage: kroyna")) << help.toStdString();
  EXPECT_TRUE(help.contains("--home DIR"));

  const auto [wrongStatus, wrongOut, wrong] = run({"--home", home_, "--hmoe", "x.krb"});
  EXPECT_EQ(wrongStatus, 2);
  EXPECT_TRUE(wrongOut.isEmpty());
  EXPECT_TRUE(wrong.contains("unknown option '--hmoe'")) << wrong.toStdString();
  EXPECT_TRUE(wrong.contains("kroyna --help")) << wrong.toStdString();
  EXPECT_FALSE(QFileInfo::exists(home_));
}

TEST_F(StartupTest, UnusableDataRootExitsWithStatusOne) {
  QFile blocker(tmp_.filePath("file"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  QProcess p;
  startProgram(p, tmp_.filePath("file/home"), 200);
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 1);
  EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains(tmp_.filePath("file/home")));
}
