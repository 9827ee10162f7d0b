#pragma once
// The template editor: the current template's picture with the twenty field boxes, moved and
// resized with the mouse. Mode 0 edits the current template (its picture may be replaced);
// mode 1 makes a new template under a typed name and paper size (millimetres, first the
// current template's) from the boxes shown and an imported picture (BMP, PNG or JPEG, stored
// as BMP), or from a scanned form whose picture and boxes are recognised (自动识别).
// Pictures copied in are settled when the dialog closes: a replacement becomes the current
// template's picture only after the current template was saved, and a picture imported or
// recognised for a new template is removed unless that template was saved.

#include <QDialog>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QProgressDialog;
class QPushButton;

namespace dorvane {

// What 自动识别 says in a build without form recognition (the Windows package for now).
inline const char* const kNoRecognitionMessage =
    "此版本不含自动识别功能。请在快递单图片上拖动各个栏位到它们的位置，再保存模板。";

class CGradientButton;
class EditingSurface;
class FormRecognitionRun;
struct Workspace;

class CTemplateEditDlg : public QDialog {
    Q_OBJECT
public:
    explicit CTemplateEditDlg(Workspace& workspace, QWidget* parent = nullptr);

    // Controls to members and back.
    void pull();
    void push();

    int EditMode = 0;        // combo 1053: 0 modify the current template, 1 new template
    QString NewTemplateName; // edit 1054
    QString NewPaperWidth;   // the new template's paper in millimetres, as typed
    QString NewPaperHeight;

    bool LayoutModified() const { return layoutModified_; }
    EditingSurface* surface() const { return surface_; }

    void ImportPicture();
    // New-template mode: a blank label of the typed paper (white, with a grid) as the picture.
    void CreateBlankLabel();
    // Mode 1: the picture of a scanned or photographed form straightened into the new
    // template's picture, and the boxes moved to the cells whose labels name them, on a
    // worker thread with a progress window. The paper edits get the size the form's shape
    // suggests; the fields not found are listed and keep their boxes.
    void RecognizeForm();
    // False when the save was refused or the layout file could not be written.
    bool SaveTemplate();

signals:
    // A layout file was saved: the current template's (the workspace's layout holds it) or a
    // new template's.
    void layoutSaved();

public slots:
    // Escape: ends the dialog without the question, the pictures settled.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void OnModeChanged();
    void ShowSteps();
    QString ChooseBitmap(const QString& title);
    // Refuses an empty, taken or unusable new name with its message, the focus in the edit.
    bool CheckNewName();
    // The typed paper size in 0.1 mm, or the refusal's message with the focus on the wrong one.
    std::optional<std::pair<int, int>> CheckNewPaper();
    // Stores a chosen picture file as target (a BMP); says so and answers false when it is none.
    bool StoreChosenPicture(const QString& chosen, const std::filesystem::path& target);
    void SettlePictures();
    void ApplyRecognition();

    Workspace& workspace_;
    EditingSurface* surface_ = nullptr;
    QComboBox* modeCombo_ = nullptr;
    QGroupBox* nameGroup_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QLineEdit* paperWidthEdit_ = nullptr;
    QLineEdit* paperHeightEdit_ = nullptr;
    QGroupBox* paperGroup_ = nullptr;
    QPushButton* recognizeButton_ = nullptr;
    QPushButton* blankLabelButton_ = nullptr;
    bool blankLabel_ = false; // the picture shown is a blank label made here
    FormRecognitionRun* recognition_ = nullptr;
    QProgressDialog* recognitionProgress_ = nullptr;
    QString recognitionName_; // the new template's name the running recognition is for

    bool layoutModified_ = false;
    bool currentSaved_ = false; // the current template's layout was saved (mode 0)
    bool pendingReplacement_ = false;
    QStringList pendingNewPictures_;     // names a picture was copied in for
    std::filesystem::path shownPicture_; // the file of the picture on the surface
};

} // namespace dorvane
