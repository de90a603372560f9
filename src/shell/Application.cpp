#include "shell/Application.h"

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/Settings.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/WaitWindow.h"
#include "platform/file/SafeFile.h"
#include "shell/CommandLine.h"
#include "shell/MainWindow.h"
#include "shell/QtTranslations.h"
#include "shell/SingleInstance.h"
#include "shell/Subsystems.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QPainter>
#include <QSplashScreen>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace kroyna::shell {

using namespace common;
namespace {

const QString kTitle = QStringLiteral("Раскрой листового материала");

QPixmap splashPicture() {
  QPixmap pixmap(420, 200);
  pixmap.fill(QColor(0xF0, 0xF0, 0xE8));
  QPainter p(&pixmap);
  p.setPen(QPen(QColor(0x40, 0x40, 0x40), 2));
  p.drawRect(pixmap.rect().adjusted(1, 1, -2, -2));
  // A sheet with a few parts, as on a cutting map.
  p.setBrush(QColor(0xC8, 0xA8, 0x78));
  p.drawRect(20, 30, 120, 80);
  p.setBrush(Qt::white);
  p.drawRect(24, 34, 60, 40);
  p.drawRect(88, 34, 48, 40);
  p.drawRect(24, 78, 112, 28);
  QFont f = p.font();
  f.setPointSize(16);
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRect(150, 30, 260, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KROYNA"));
  f.setPointSize(10);
  f.setBold(false);
  p.setFont(f);
  p.drawText(QRect(150, 70, 260, 40), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, kTitle);
  return pixmap;
}

void setStatus(QSplashScreen& splash, const QString& text) {
  splash.showMessage(text, Qt::AlignBottom | Qt::AlignLeft, Qt::black);
  QApplication::processEvents();
}

// Models.dat is copied from Pattern when it is missing.
void prepareModelsFile(const DataRoot& root) {
  const QString models = root.path(QStringLiteral("Models.dat"));
  const QString pattern = root.path(QStringLiteral("Pattern/Models.dat"));
  if (QFileInfo::exists(models) || !QFileInfo::exists(pattern)) return;
  try {
    platform::copyFileAtomically(QFile::encodeName(pattern).toStdString(), QFile::encodeName(models).toStdString());
  } catch (const platform::FileError& e) {
    showMessage(QString::fromStdString(e.what()), MsgIcon::Error);
  }
}

}  // namespace

int runApplication(int argc, char** argv, const char* version) {
  // The command line is read before the toolkit starts: --help, --version
  // and a wrong option work without a display.
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const CommandLine line = parseCommandLine(arguments);
  switch (line.action) {
    case CommandLine::Action::Help: std::fputs(commandLineHelp().toLocal8Bit().constData(), stdout); return 0;
    case CommandLine::Action::Version: std::printf("kroyna %s\n", version); return 0;
    case CommandLine::Action::Error:
      std::fprintf(stderr, "kroyna: %s\nTry 'kroyna --help' for more information.\n",
                   line.error.toLocal8Bit().constData());
      return 2;
    case CommandLine::Action::Run: break;
  }

  QApplication app(argc, argv);
  installQtTranslations();
  installMessageBoxes();
  QApplication::setApplicationName(QStringLiteral("kroyna"));
  QApplication::setApplicationVersion(QString::fromLatin1(version));
  QApplication::setQuitOnLastWindowClosed(true);
  // The desktop entry kroyna.desktop: its icon and name in the task bar.
  QGuiApplication::setDesktopFileName(QStringLiteral("kroyna"));
  QIcon icon;
  for (const char* size : {"48", "256"})
    icon.addFile(QStringLiteral(":/kroyna/kroyna-%1.png").arg(QLatin1String(size)));
  QApplication::setWindowIcon(icon);

  const DataRoot root(DataRoot::choose(line.home, qEnvironmentVariable("KROYNA_HOME"), QDir::homePath()));
  // Files named relative to the folder the program was started in.
  QStringList args;
  for (const QString& file : line.files) args << QFileInfo(file).absoluteFilePath();

  // The lock of the single-instance test lives in the data root, so the
  // root itself is made first.
  if (!QDir().mkpath(root.root())) {
    showError(QStringLiteral("Не удалось создать папку данных программы %1: нет доступа или путь занят файлом.")
                  .arg(QDir::toNativeSeparators(root.root())));
    return 1;
  }
  SingleInstance instance(root.root());
  if (!instance.acquire()) {
    showInformation(QStringLiteral("Приложение KROYNA уже выполняется!"));
    instance.activateRunning();
    return 0;
  }
  if (auto error = root.prepare(shippedDataFolder(QApplication::applicationDirPath()))) {
    showError(*error);
    return 1;
  }

  // Opening the settings upgrades them and writes the keys that must exist.
  std::unique_ptr<Settings> settings;
  try {
    settings = std::make_unique<Settings>(root.path(QStringLiteral("Kroyna.ini")).toStdString());
    prepareModelsFile(root);
  } catch (const std::exception& e) {
    showError(QString::fromUtf8(e.what()));
    return 1;
  }

  AppContext context(root, *settings);
  MainWindow window(root, *settings);
  window.setStartupFiles(args);
  context.setMainWindow(&window);
  installSubsystems(context);
  QObject::connect(&window, &MainWindow::firstShown, &context, &AppContext::mainWindowShown, Qt::QueuedConnection);
  QObject::connect(&instance, &SingleInstance::activationRequested, &window, [&window] {
    if (window.isMinimized()) window.showNormal();
    window.show();
    window.raise();
    window.activateWindow();
  });

  QSplashScreen splash(splashPicture());
  splash.show();
  QApplication::processEvents();
  setStatus(splash, QStringLiteral("Подключение внешних баз материалов"));
  const auto stepFailed = [&] {
    if (context.startupError().isEmpty()) return false;
    splash.close();
    showError(context.startupError());
    return true;
  };
  emit context.connectMaterials();
  if (stepFailed()) return 1;
  setStatus(splash, QStringLiteral("Инициализация склада"));
  emit context.initWarehouse();
  if (stepFailed()) return 1;
  setStatus(splash, QStringLiteral("Инициализация программных модулей"));
  WaitWindow::instance();  // created with the other shared dialogs
  emit context.initModules();
  if (stepFailed()) return 1;
  setStatus(splash, QStringLiteral("Старт программы"));

  window.restorePlacement();
  window.show();
  splash.finish(&window);

  // A test hook: quit on its own after the given milliseconds, through the
  // same path as "Выход".
  bool okDelay = false;
  const int quitAfter = qEnvironmentVariableIntValue("KROYNA_QUIT_AFTER_MS", &okDelay);
  if (okDelay && quitAfter >= 0)
    QTimer::singleShot(quitAfter, &window, [&window] { window.command(QStringLiteral("app.exit"))->trigger(); });

  const int status = QApplication::exec();
  emit context.mainWindowClosed();
  try {
    settings->saveRemarks();
  } catch (const std::exception& e) {
    showError(QString::fromUtf8(e.what()));
  }
  return status;
}

}  // namespace kroyna::shell
