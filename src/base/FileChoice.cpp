#include "base/FileChoice.h"

#include <QDir>
#include <QFileDialog>

namespace dorvane {

namespace {

struct TestAnswers {
    bool on = false;
    QStringList paths;
    QStringList titles;
};

TestAnswers& Answers()
{
    static TestAnswers answers;
    return answers;
}

} // namespace

QString chooseFile(QWidget* parent, FileChoiceMode mode, const QString& title, const QString& filter)
{
    TestAnswers& answers = Answers();
    if (answers.on) {
        answers.titles.append(title);
        return answers.paths.isEmpty() ? QString() : answers.paths.takeFirst();
    }
    const QString before = QDir::currentPath();
    const QString chosen = mode == FileChoiceMode::Open
                               ? QFileDialog::getOpenFileName(parent, title, QString(), filter)
                               : QFileDialog::getSaveFileName(parent, title, QString(), filter);
    if (QDir::currentPath() != before)
        QDir::setCurrent(before);
    return chosen;
}

void queueFileAnswer(const QString& path)
{
    Answers().on = true;
    Answers().paths.append(path);
}

void clearFileAnswers()
{
    Answers() = TestAnswers{};
}

QStringList takeFileDialogTitles()
{
    QStringList titles;
    titles.swap(Answers().titles);
    return titles;
}

} // namespace dorvane
