#pragma once
// Every message box of the program goes through showMessage, so that tests can answer the
// boxes and read what was shown instead of clicking real ones.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace dorvane {

enum class MessageIcon { None, Information, Warning, Question };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

// The caption of messages that have no caption of their own.
inline const char* const kAppTitle = "Dorvane";

// buttonTexts, when given, replace the captions of the Yes, No and Cancel buttons in that order.
MessageAnswer showMessage(QWidget* parent, const QString& text, const QString& caption,
                          MessageIcon icon = MessageIcon::None, MessageButtons buttons = MessageButtons::Ok,
                          const QStringList& buttonTexts = {});

struct ShownMessage {
    QString text;
    QString caption;
    MessageIcon icon;
    MessageButtons buttons;
    QStringList buttonTexts;
};

// Test hooks: while answering is on, no box appears; each message is recorded and answered
// with the next queued answer (Ok, or Yes for questions, when the queue is empty).
void setMessagesAnsweredByTest(bool on);
// whileOpen, when given, runs while that message counts as shown, before it is answered: what
// the user does in other programs while a question waits.
void queueMessageAnswer(MessageAnswer answer, std::function<void()> whileOpen = {});
QList<ShownMessage> takeShownMessages();

} // namespace dorvane
