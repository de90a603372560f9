#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace kroyna::common {

// Every message box of the program goes through here, so that dialog logic
// can be driven by tests (which answer the questions) and so that a message
// shown before the main window exists still has the program's caption.
enum class MsgIcon { Error, Warning, Information, Confirmation };
// YesNoDefaultNo: a question whose safe answer is "Нет", which Enter and
// the box's default button give.
enum class MsgButtons { Ok, YesNo, YesNoCancel, RetryCancel, YesNoDefaultNo };
enum class MsgResult { Ok, Yes, No, Cancel, Retry };

// Shows a modal message box. Line breaks may be written as "\r" (the
// program's messages use it) or "\n".
MsgResult showMessage(const QString& text, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok,
                      QWidget* parent = nullptr);

// Convenience forms.
void showError(const QString& text, QWidget* parent = nullptr);
void showInformation(const QString& text, QWidget* parent = nullptr);
bool askYesNo(const QString& text, QWidget* parent = nullptr);

// How messages are shown when no handler is set: the program's message
// boxes (shell/MessageBoxes.h). Without one, a message goes to standard
// error and takes its default answer (OK, No, Cancel).
using MessagePresenter = std::function<MsgResult(const QString& text, MsgIcon, MsgButtons, QWidget* parent)>;
void setMessagePresenter(MessagePresenter presenter);

// The text as shown: "\r" and "\r\n" line breaks become "\n".
QString displayText(QString text);

// Replaces the message boxes with a handler (tests, headless runs). Pass
// an empty function to restore the real boxes.
using MessageHandler = std::function<MsgResult(const QString& text, MsgIcon, MsgButtons)>;
void setMessageHandler(MessageHandler handler);

// RAII form for tests: installs a handler for the scope and restores the
// previous one.
class ScopedMessageHandler {
 public:
  explicit ScopedMessageHandler(MessageHandler handler);
  ~ScopedMessageHandler();
  ScopedMessageHandler(const ScopedMessageHandler&) = delete;
  ScopedMessageHandler& operator=(const ScopedMessageHandler&) = delete;

 private:
  MessageHandler previous_;
};

}  // namespace kroyna::common
