#pragma once
// The About box: the program's name and version, the maker's contact details and web link,
// the custom-software page, and the online update check.

#include "about/UpdateCheck.h"

#include <QDialog>
#include <QTimer>

class QLabel;
class QLineEdit;

namespace dorvane {

class CLinkLabel;
class CGradientButton;

// The maker's details.
inline constexpr const char* kMakerSite = "http://www.example.com/";
inline constexpr const char* kCustomSoftwarePage = "http://www.example.com/custom-software.html";
inline constexpr const char* kMakerEmail = "service@example.com";
inline constexpr const char* kMakerQQ = "10000";

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // Where the update check fetches from and which updater it starts.
    void setUpdateServer(const QUrl& server) { checkParams_.server = server; }
    void setUpdaterProgram(const QString& program) { checkParams_.updaterProgram = program; }
    // What ends the main program once the updater has started (EndMainProgram by default).
    void setProgramEnd(std::function<void()> end) { checkParams_.endProgram = std::move(end); }

private:
    void OnInitDialog();
    void OnCustomSoftware();
    void OnOnlineUpdate();
    void OnTimer();

    QString email_;
    QString qq_;
    QLineEdit* qqEdit_ = nullptr;
    QLineEdit* emailEdit_ = nullptr;
    CLinkLabel* link_ = nullptr;
    QLabel* progressLabel_ = nullptr;
    int ticks_ = 0;
    QTimer timer_;
    UpdateCheckParams checkParams_;
    std::shared_ptr<UpdateCheckFlags> flags_ = std::make_shared<UpdateCheckFlags>();
};

} // namespace dorvane
