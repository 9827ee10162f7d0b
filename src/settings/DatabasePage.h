#pragma once
// The database page of the settings dialog: where the address book and the print log live.
// Empty, they stay in this computer's file dataM/Dorvane.dorv; a PostgreSQL connection string
// puts every packing station of a shop on one server. The string goes to line 1 of
// Set/database.ini; its password is typed into a masked box of its own and never shown.
// 测试连接 tries the string off the window's thread and tells what it found.

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace dorvane {

struct Workspace;
class StoreListeners;

class CDatabasePage : public QWidget {
    Q_OBJECT

public:
    CDatabasePage(Workspace& workspace, StoreListeners& listeners, QWidget* parent = nullptr);

    // The string as the boxes make it, password included: what is saved and tried.
    std::string ConnectionString() const;

    void OnTest();
    void OnSave();

signals:
    // Set/database.ini was written: the address book may now be somewhere else.
    void saved();
    // A test has ended and its result is shown.
    void tested();

private:
    Workspace& workspace_;
    StoreListeners& listeners_;
    QLineEdit* connectionEdit_;
    QLineEdit* passwordEdit_;
    QPushButton* testButton_;
    QPushButton* saveButton_;
    QLabel* resultLabel_;
};

} // namespace dorvane
