#pragma once

// The whole program in the test's process: a data root prepared as a first
// start prepares it (the shipped example included), the settings, the main
// window with every subsystem installed, and the start-up steps run. Save
// questions on closing are answered "Нет"; other messages are recorded.

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/Settings.h"
#include "shell/MainWindow.h"
#include "shell/Subsystems.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <stdexcept>

namespace kroyna::testing {

class Program {
 public:
  Program() : root_(dir_.path()) {
    if (auto error = root_.prepare(QStringLiteral(KROYNA_SOURCE_DATA_DIR)))
      throw std::runtime_error(error->toStdString());
    messages_ = std::make_unique<common::ScopedMessageHandler>(
        [this](const QString& text, common::MsgIcon, common::MsgButtons buttons) {
          messages << text;
          return buttons == common::MsgButtons::Ok ? common::MsgResult::Ok : common::MsgResult::No;
        });
    settings_ = std::make_unique<common::Settings>(root_.path(QStringLiteral("Kroyna.ini")).toStdString());
    context_ = std::make_unique<common::AppContext>(root_, *settings_);
    main_ = std::make_unique<shell::MainWindow>(root_, *settings_);
    context_->setMainWindow(main_.get());
    shell::installSubsystems(*context_);
    emit context_->connectMaterials();
    emit context_->initWarehouse();
    emit context_->initModules();
    main_->resize(1024, 720);
    main_->show();
    emit context_->mainWindowShown();
    QApplication::processEvents();
  }

  ~Program() {
    // The document windows go first, without questions, then the main
    // window and the subsystems.
    for (QMdiSubWindow* w : main_->documentArea()->subWindowList()) {
      w->setProperty("kroynaPersistent", false);
      delete w;
    }
    emit context_->mainWindowClosed();
    main_.reset();
    context_.reset();
  }

  const common::DataRoot& root() const { return root_; }
  common::Settings& settings() { return *settings_; }
  common::AppContext& context() { return *context_; }
  shell::MainWindow& main() { return *main_; }

  // Runs `answer` on the next modal dialog of type T that opens (for a
  // command that shows it with exec()).
  template <typename T>
  static void whenModal(std::function<void(T&)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
      if (auto* d = qobject_cast<T*>(QApplication::activeModalWidget())) {
        timer->stop();
        timer->deleteLater();
        answer(*d);
      }
    });
    timer->start();
  }

  QStringList messages;

 private:
  QTemporaryDir dir_;
  common::DataRoot root_;
  std::unique_ptr<common::ScopedMessageHandler> messages_;
  std::unique_ptr<common::Settings> settings_;
  std::unique_ptr<common::AppContext> context_;
  std::unique_ptr<shell::MainWindow> main_;
};

}  // namespace kroyna::testing
