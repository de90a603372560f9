#include "common/Messages.h"

#include <cstdio>

namespace kroyna::common {
namespace {

MessageHandler& handlerSlot() {
  static MessageHandler handler;
  return handler;
}

MessagePresenter& presenterSlot() {
  static MessagePresenter presenter;
  return presenter;
}

}  // namespace

QString displayText(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

namespace {

// When the environment asks for it (automated start-up tests), messages
// go to standard error and are answered with their default button, so a
// test process never hangs on a box nobody can see.
bool autoAnswer() { return qEnvironmentVariableIsSet("KROYNA_AUTO_ANSWER_MESSAGES"); }

MsgResult defaultAnswer(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok: return MsgResult::Ok;
    case MsgButtons::YesNo: return MsgResult::No;
    case MsgButtons::YesNoDefaultNo: return MsgResult::No;
    case MsgButtons::YesNoCancel: return MsgResult::Cancel;
    case MsgButtons::RetryCancel: return MsgResult::Cancel;
  }
  return MsgResult::Cancel;
}

}  // namespace

MsgResult showMessage(const QString& text, MsgIcon icon, MsgButtons buttons, QWidget* parent) {
  if (const MessageHandler& h = handlerSlot()) return h(text, icon, buttons);
  const MessagePresenter& present = presenterSlot();
  if (present && !autoAnswer()) return present(text, icon, buttons, parent);
  // Nobody to ask: say it on standard error and take the safe answer.
  std::fprintf(stderr, "%s\n", displayText(text).toUtf8().constData());
  return defaultAnswer(buttons);
}

void showError(const QString& text, QWidget* parent) { showMessage(text, MsgIcon::Error, MsgButtons::Ok, parent); }

void showInformation(const QString& text, QWidget* parent) {
  showMessage(text, MsgIcon::Information, MsgButtons::Ok, parent);
}

bool askYesNo(const QString& text, QWidget* parent) {
  return showMessage(text, MsgIcon::Confirmation, MsgButtons::YesNo, parent) == MsgResult::Yes;
}

void setMessageHandler(MessageHandler handler) { handlerSlot() = std::move(handler); }

void setMessagePresenter(MessagePresenter presenter) { presenterSlot() = std::move(presenter); }

ScopedMessageHandler::ScopedMessageHandler(MessageHandler handler) : previous_(handlerSlot()) {
  handlerSlot() = std::move(handler);
}

ScopedMessageHandler::~ScopedMessageHandler() { handlerSlot() = std::move(previous_); }

}  // namespace kroyna::common
