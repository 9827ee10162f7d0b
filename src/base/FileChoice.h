#pragma once
// Every file dialog of the program goes through chooseFile, so that tests can answer it
// instead of a real dialog, as message boxes are answered through showMessage.

#include <QString>
#include <QStringList>

class QWidget;

namespace dorvane {

enum class FileChoiceMode { Open, Save };

// The file the user picks, empty when the dialog is cancelled. The process's current folder is
// left as it was: every path the program opens is built from its work folder.
QString chooseFile(QWidget* parent, FileChoiceMode mode, const QString& title, const QString& filter);

// Test hooks: once an answer is queued, no dialog appears until clearFileAnswers(); each
// dialog takes the next answer (none left: cancelled) and its title is recorded.
void queueFileAnswer(const QString& path);
void clearFileAnswers();
QStringList takeFileDialogTitles();

} // namespace dorvane
