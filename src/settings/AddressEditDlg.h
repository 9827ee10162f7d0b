#pragma once
// The address dialog: the five parts of one saved address in five edits. In add mode it writes
// the new record to the address book itself; in modify mode it only builds the record and
// hands it back in ResultRecord, and the address-book page writes it.

#include <QDialog>
#include <QString>

#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace dorvane {

struct Workspace;
class StoreListeners;

class CGradientButton;

class CAddressEditDlg : public QDialog {
    Q_OBJECT

public:
    // Results of exec(); a cancelled dialog gives QDialog::Rejected.
    static constexpr int Added = 2;
    static constexpr int Modified = 1;

    CAddressEditDlg(Workspace& workspace, StoreListeners& listeners, QWidget* parent = nullptr);

    // Set before the dialog opens; pulled from the edits when it is confirmed.
    QString Name;
    QString Mobile;
    QString Telephone;
    QString Address;
    QString Postcode;
    int AddressMode = 0;      // 0 add, 1 modify
    int AddressKind = 0;      // 0 recipient addresses, 1 sender addresses
    std::string ResultRecord; // code-page bytes, built in modify mode

    void OnOK();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Workspace& workspace_;
    StoreListeners& listeners_;
    void OnInitDialog();
    void pull();
    void push();

    QLabel* nameLabel_;
    QLineEdit* nameEdit_;
    QLineEdit* mobileEdit_;
    QLineEdit* telephoneEdit_;
    QPlainTextEdit* addressEdit_;
    QLineEdit* postcodeEdit_;
    CGradientButton* okButton_;
    CGradientButton* cancelButton_;
    bool initialised_ = false;
};

} // namespace dorvane
