#include "base/MessageBox.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace dorvane {

namespace {
bool answeredByTest = false;
struct QueuedAnswer {
    MessageAnswer answer;
    std::function<void()> whileOpen;
};
QList<QueuedAnswer> queuedAnswers;
QList<ShownMessage> shownMessages;
} // namespace

MessageAnswer showMessage(QWidget* parent, const QString& text, const QString& caption,
                          MessageIcon icon, MessageButtons buttons, const QStringList& buttonTexts)
{
    if (answeredByTest) {
        shownMessages.append({text, caption, icon, buttons, buttonTexts});
        if (!queuedAnswers.isEmpty()) {
            const QueuedAnswer queued = queuedAnswers.takeFirst();
            if (queued.whileOpen)
                queued.whileOpen();
            return queued.answer;
        }
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
    }
    QMessageBox box(parent);
    box.setText(text);
    box.setWindowTitle(caption);
    switch (icon) {
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::None: break;
    }
    switch (buttons) {
    case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MessageButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    const QMessageBox::StandardButton captioned[] = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    for (qsizetype i = 0; i < buttonTexts.size() && i < 3; ++i) {
        if (QAbstractButton* button = box.button(captioned[i]))
            button->setText(buttonTexts[i]);
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    default: return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    }
}

void setMessagesAnsweredByTest(bool on)
{
    answeredByTest = on;
    queuedAnswers.clear();
    shownMessages.clear();
}

void queueMessageAnswer(MessageAnswer answer, std::function<void()> whileOpen)
{
    queuedAnswers.append({answer, std::move(whileOpen)});
}

QList<ShownMessage> takeShownMessages()
{
    QList<ShownMessage> taken;
    taken.swap(shownMessages);
    return taken;
}

} // namespace dorvane
