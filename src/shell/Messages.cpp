#include "shell/Messages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace kroyna::shell {
namespace {

MessageHandler& handlerSlot() {
  static MessageHandler handler;
  return handler;
}

QString displayText(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

// When the environment asks for it (automated start-up tests), messages
// go to standard error and are answered with their default button, so a
// test process never hangs on a box nobody can see.
bool autoAnswer() { return qEnvironmentVariableIsSet("KROYNA_AUTO_ANSWER_MESSAGES"); }

MsgResult defaultAnswer(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok: return MsgResult::Ok;
    case MsgButtons::YesNo: return MsgResult::No;
    case MsgButtons::YesNoCancel: return MsgResult::Cancel;
    case MsgButtons::RetryCancel: return MsgResult::Cancel;
  }
  return MsgResult::Cancel;
}

}  // namespace

MsgResult showMessage(const QString& text, MsgIcon icon, MsgButtons buttons, QWidget* parent) {
  if (const MessageHandler& h = handlerSlot()) return h(text, icon, buttons);
  if (autoAnswer()) {
    std::fprintf(stderr, "%s\n", displayText(text).toUtf8().constData());
    return defaultAnswer(buttons);
  }
  QMessageBox box(parent ? parent : QApplication::activeWindow());
  box.setWindowTitle(QStringLiteral("Раскрой листового материала"));
  box.setText(displayText(text));
  switch (icon) {
    case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Confirmation: box.setIcon(QMessageBox::Question); break;
  }
  switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
    case MsgButtons::RetryCancel: box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
  }
  if (auto* yes = box.button(QMessageBox::Yes)) yes->setText(QStringLiteral("&Да"));
  if (auto* no = box.button(QMessageBox::No)) no->setText(QStringLiteral("&Нет"));
  if (auto* cancel = box.button(QMessageBox::Cancel)) cancel->setText(QStringLiteral("Отмена"));
  if (auto* retry = box.button(QMessageBox::Retry)) retry->setText(QStringLiteral("&Повторить"));
  switch (box.exec()) {
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Retry: return MsgResult::Retry;
    case QMessageBox::Ok: return MsgResult::Ok;
    default: return MsgResult::Cancel;
  }
}

void showError(const QString& text, QWidget* parent) { showMessage(text, MsgIcon::Error, MsgButtons::Ok, parent); }

void showInformation(const QString& text, QWidget* parent) {
  showMessage(text, MsgIcon::Information, MsgButtons::Ok, parent);
}

bool askYesNo(const QString& text, QWidget* parent) {
  return showMessage(text, MsgIcon::Confirmation, MsgButtons::YesNo, parent) == MsgResult::Yes;
}

void setMessageHandler(MessageHandler handler) { handlerSlot() = std::move(handler); }

ScopedMessageHandler::ScopedMessageHandler(MessageHandler handler) : previous_(handlerSlot()) {
  handlerSlot() = std::move(handler);
}

ScopedMessageHandler::~ScopedMessageHandler() { handlerSlot() = std::move(previous_); }

}  // namespace kroyna::shell
