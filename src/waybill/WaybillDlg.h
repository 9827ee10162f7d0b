#pragma once
// The main window: the current template's picture with one control laid over each field's
// box, the template list, the pickers of saved addresses and the buttons around them.

#include "address/WaybillDefaults.h"
#include "store/StoreListeners.h"
#include "store/StoreLocation.h"
#include "store/StoreResult.h"
#include "batch/WindowPrint.h"
#include "template/FieldPlacement.h"
#include "template/WaybillField.h"

#include <QDateTime>
#include <QDialog>
#include <QThreadPool>

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QPlainTextEdit;
class QTimer;

namespace dorvane {

class CCompletionCombo;
class CutFieldMarker;
class PictureFrame;
class TemplateLayout;
struct Workspace;

// Asked before a waybill without recipient name and address is printed.
inline const char* const kNoRecipientQuestion = "收件人姓名和收件人地址都是空的，确定要打印吗？";

class CWaybillDlg : public QDialog {
    Q_OBJECT
public:
    // workspace: the program's values, which the window and the dialogs it opens work on.
    explicit CWaybillDlg(Workspace& workspace, QWidget* parent = nullptr);
    ~CWaybillDlg() override;

    // Controls to members and back.
    void pull();
    void push();

    // The field texts in catalogue order, as last pulled or set.
    std::array<QString, kFieldCount> FieldText;
    int SelectedTemplate = 0;
    QString SenderPickerText;
    QString RecipientPickerText;
    bool PrintWithPicture = false; // check box: the check print on plain paper, the picture under the texts

    // The window's clock: the date fields follow its day, and "printed before" looks back from it.
    std::function<QDateTime()> Clock = [] { return QDateTime::currentDateTime(); };

    QWidget* fieldControl(int index) const { return fieldControls_[static_cast<std::size_t>(index)]; }
    QString controlText(int index) const;
    void setControlText(int index, const QString& text);

    void FillTemplateList();
    void LoadTemplatePicture();
    void LayOutFieldControls();
    void LoadSenderDetails();
    void SaveSenderDetails();
    void ChangeTemplate(int index);

    // Told whenever a dialog of this window writes the address book or moves it; the goods
    // list and the pickers refill from there at once.
    StoreListeners& storeListeners() { return storeListeners_; }

    // Filled by the address book: the goods list (combo 1013) and the two pickers.
    void FillGoodsList();
    void FillAddressPickers();
    void ShowStoreError(const StoreError& error);
    void LogStored(const Result<void>& stored);
    void FromStore(const StoreLocation& location, std::function<std::function<void()>()> read);

    void PrintCurrentWaybill();
    // The texts of the window at the boxes of another layout of the current template: the
    // preview prints the boxes where it shows them, with the template picture under them or not.
    // logSource: where the print log says it was printed from.
    void PrintCurrentWaybill(const TemplateLayout& layout, bool withPicture = false,
                             const char* logSource = "window");

    // Empties the recipient fields and the recipient company, for the next parcel.
    void ClearRecipient();

    // Whether the field's text is marked as one the printed form would cut.
    bool IsMarkedCut(int index) const;

    // The pickers are read again when the window is activated, at most this often, so that what
    // another station saved shows without a restart.
    int pickerRefreshSeconds = 60;

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
    void keyPressEvent(QKeyEvent* event) override;

public slots:
    void accept() override; // Enter in a single-line field, or the print button: print and stay
    void reject() override; // the close box: the program ends

private:
    // Held while the window waits for a question or a dialog of its own: a copy made meanwhile
    // fills the window only when the last one closes.
    class ModalScope {
    public:
        explicit ModalScope(CWaybillDlg& window);
        ~ModalScope();
        ModalScope(const ModalScope&) = delete;
        ModalScope& operator=(const ModalScope&) = delete;

    private:
        CWaybillDlg& window_;
    };

    void createControls();
    void setTitle();
    void fillDate();
    void RefreshDate();
    void onHelpTimer();
    void ShowFirstUseHelp();
    void ShowAboutBox();
    void OpenPreview();
    void OpenSettings();
    void OpenBatchPrint();
    void JoinClipboardViewer();
    void OnSenderPicked(int index);
    void OnSenderTyped();
    void OnRecipientPicked(int index);
    void OnRecipientTyped();
    void ApplyAddress(const std::array<int, 5>& fields, const std::array<std::string, 5>& parts);
    void OnClipboardChanged();
    void ApplyCopiedText(const QString& text, bool atStartUp);
    using RecipientPairs = decltype(RecipientTexts(RecipientFields{}));
    void ApplyRecipient(const RecipientPairs& recipient, bool atStartUp);
    void TakeDeferredCopy();
    void CheckPrintedBefore();
    void ShowPrintedBefore(const Result<std::optional<std::string>>& last);
    void OnSaveSenderClicked();
    void RemeasureCuts();
    // How the print engine logs a waybill printed from here.
    WindowLog printLog(const char* source);
    void OpenPrintLog();
    void OnLayoutSaved();

    Workspace& workspace_;
    StoreListeners storeListeners_;
    PictureFrame* pictureFrame_ = nullptr;
    std::array<QWidget*, kFieldCount> fieldControls_{};
    QComboBox* templateCombo_ = nullptr;
    QCheckBox* withPictureBox_ = nullptr;
    QLineEdit* waybillNumberEdit_ = nullptr;
    bool logFailureShown_ = false; // a print log that cannot be written is told once a run
    QThreadPool storeWorker_;      // reads and writes a server's store beside the window
    CCompletionCombo* senderPicker_ = nullptr;
    CCompletionCombo* recipientPicker_ = nullptr;
    CCompletionCombo* goodsCombo_ = nullptr;
    CutFieldMarker* cutMarker_ = nullptr;
    QLabel* printedBeforeLabel_ = nullptr;
    QTimer* printedBeforeTimer_ = nullptr; // one look into the log once the recipient stops changing
    bool logUnreachable_ = false;          // no more looks until a waybill is logged again
    bool storeErrorShown_ = false;         // the server's "cannot open" was told since it was last read
    std::array<QString, 3> filledDate_;     // year, month, day as the window last filled them
    int modalDepth_ = 0;
    std::optional<QString> deferredCopy_;
    std::chrono::steady_clock::time_point pickersFilled_ = std::chrono::steady_clock::now();
};

} // namespace dorvane
