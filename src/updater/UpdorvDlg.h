#pragma once
// The updater's dialog: downloads the new main program and the further files named in the
// version file into the updater's folder, shows the progress, and starts the main program
// when the user presses OK or Cancel. Nothing is installed unless the signed manifest vouches
// for every file.

#include "updater/SwapJournal.h"
#include "updater/UpdateIntegrity.h"
#include "updater/UpdateProtocol.h"

#include <QDialog>
#include <QTimer>

#include <atomic>
#include <filesystem>

class QLabel;
class QProgressBar;
class QPushButton;
class QThread;

namespace dorvane {

// Set only by the updater's test build, which pauses the swap there to be killed.
extern SwapStepHook BeforeSwapStep;

class CUpdorvDlg : public QDialog {
    Q_OBJECT
public:
    // updaterFolder: where the version file lies and the downloads go (empty: the current
    // directory). trust: the update server and the key its manifest must be signed with.
    explicit CUpdorvDlg(std::filesystem::path updaterFolder, UpdateTrust trust = BuiltInUpdateTrust(),
                        QWidget* parent = nullptr);
    ~CUpdorvDlg() override;

    int tickInterval() const { return TickInterval; }
    bool downloadSucceeded() const { return DownloadSucceeded != 0; }
    bool downloadFailed() const { return DownloadFailed != 0; }
    const std::string& newProgramFile() const { return NewProgramFile; }
    // Starts NewProgramFile from the updater's folder; false when it could not be started.
    bool startNewProgram() const;
    void showAbout();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnInitDialog();
    void OnTimer();
    void OnOK();
    void colourSteps();
    void downloadsEnded(UpdateFailure failure);
    void enableOk();
    void restartTimer(int interval);

    std::filesystem::path UpdaterFolder;
    VersionFile versionFile_;
    UpdateTrust trust_;
    std::string NewProgramFile;
    int TickInterval = 200;
    // Set by the download thread, read by the progress timer; the dialog waits for the thread
    // before it goes.
    std::atomic<int> DownloadSucceeded{0};
    std::atomic<int> DownloadFailed{0};
    QTimer timer_;
    QLabel* downloadStep_ = nullptr;
    QLabel* completeStep_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QThread* thread_ = nullptr;
};

// The work of the download thread: checks the addresses and names, fetches the manifest and
// its signature and checks them, fetches every file into a staging folder and checks its size
// and hash, gives each the mode it is installed with, and only then puts all of them in place.
// On any failure every installed file stays as it was, and the failure says what went wrong.
UpdateFailure DownloadUpdate(const std::filesystem::path& updaterFolder, const VersionFile& versionFile,
                             const UpdateTrust& trust);

// What the user is told of a failed update; the network's message for a network failure.
QString FailureMessage(UpdateFailure failure);

} // namespace dorvane
