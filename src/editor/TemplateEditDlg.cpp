#include "editor/TemplateEditDlg.h"

#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "base/FileChoice.h"
#include "base/MessageBox.h"
#include "controls/GradientButton.h"
#include "editor/EditingSurface.h"
#ifdef DORVANE_HAS_RECOGNITION
#include "editor/FormRecognitionRun.h"
#endif
#include "template/TemplateList.h"
#include "template/TemplatePicture.h"
#include "editor/TemplateStepsDlg.h"
#include "template/TemplateStore.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>

#include <algorithm>
#include <system_error>

namespace dorvane {

namespace fs = std::filesystem;

namespace {

const QString kCaptionNote = QStringLiteral("注意");
const QString kPictureFilter = QStringLiteral("图片文件(.bmp .png .jpg) (*.bmp *.png *.jpg *.jpeg)");

fs::path ToPath(const QString& path)
{
#ifdef Q_OS_WIN
    return fs::path(path.toStdWString());
#else
    return fs::path(QFile::encodeName(path).toStdString());
#endif
}

bool SameFile(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    return a == b || fs::equivalent(a, b, ec);
}

// Copies a picture over target; copying a file onto itself leaves it as it is.
bool CopyPicture(const fs::path& from, const fs::path& target)
{
    if (SameFile(from, target))
        return true;
    std::error_code ec;
    return fs::copy_file(from, target, fs::copy_options::overwrite_existing, ec);
}

void RemoveFile(const fs::path& path)
{
    std::error_code ec;
    fs::remove(path, ec);
}

// Copies the box columns (x, y, w, h) of every row of the edited copy into layout.
void TakeBoxes(TemplateLayout& layout, const TemplateLayout& edited)
{
    for (int row = 0; row < TemplateLayout::kRows; ++row)
        for (int column = 2; column <= 5; ++column)
            layout.setCell(row, column, edited.cell(row, column));
}

std::array<QString, kFieldCount> FieldNames()
{
    std::array<QString, kFieldCount> names;
    for (const WaybillField& field : kWaybillFields)
        names[static_cast<std::size_t>(field.index)] =
            QString::fromUtf8(field.name.data(), static_cast<qsizetype>(field.name.size()));
    return names;
}

} // namespace

CTemplateEditDlg::CTemplateEditDlg(Workspace& workspace, QWidget* parent)
    : QDialog(parent), workspace_(workspace)
{
    setObjectName(QStringLiteral("templateEditDialog"));
    setFont(QFont(QStringLiteral("宋体"), 9));
    surface_ = new EditingSurface(workspace_, EditingSurface::Kind::Editor, this);
    surface_->setTexts(FieldNames());
    surface_->openCurrentTemplate();
    shownPicture_ = PicturePath(workspace_.WorkFolder, workspace_.CurrentTemplate);
    connect(surface_, &EditingSurface::layoutEdited, this, [this] { layoutModified_ = true; });

    const QSize picture = surface_->pictureSize();
    const int w = picture.width();
    move(30, 30);
    setFixedSize(w + 150, picture.height() + 50);
    surface_->setGeometry(0, 0, w + 150, picture.height() + 50);
    setWindowTitle(QStringLiteral("创建快递单模板 -- 当前模板：") + FromFileName(workspace_.CurrentTemplate));
    createControls();
    push();
}

void CTemplateEditDlg::createControls()
{
    const int w = surface_->pictureSize().width();

    auto* steps = new CGradientButton(QStringLiteral("创建步骤(&C)..."), this);
    steps->setObjectName(QStringLiteral("stepsButton"));
    steps->setGeometry(w + 15, 25, 100, 39);
    connect(steps, &QPushButton::clicked, this, &CTemplateEditDlg::ShowSteps);

    modeCombo_ = new QComboBox(this);
    modeCombo_->setObjectName(QStringLiteral("modeCombo"));
    modeCombo_->addItems({QStringLiteral("修改当前模板"), QStringLiteral("新建快递模板")});
    modeCombo_->setGeometry(w + 15, 115, 100, modeCombo_->sizeHint().height());
    connect(modeCombo_, &QComboBox::currentIndexChanged, this, &CTemplateEditDlg::OnModeChanged);

    nameGroup_ = new QGroupBox(QStringLiteral("输入新建模板名称"), this);
    nameGroup_->setObjectName(QStringLiteral("newNameGroup"));
    nameGroup_->setGeometry(w + 10, 150, 120, 46);
    QPalette green = nameGroup_->palette();
    green.setColor(QPalette::Window, QColor(0, 255, 0));
    nameGroup_->setPalette(green);
    nameGroup_->setAutoFillBackground(true);
    nameGroup_->hide();

    nameEdit_ = new QLineEdit(this);
    nameEdit_->setObjectName(QStringLiteral("newNameEdit"));
    nameEdit_->setGeometry(w + 20, 165, 100, 20);
    nameEdit_->hide();

    // The paper of the real form: the boxes print at the picture's places scaled to it.
    paperGroup_ = new QGroupBox(QStringLiteral("纸张宽×高(毫米)"), this);
    paperGroup_->setObjectName(QStringLiteral("newPaperGroup"));
    paperGroup_->setGeometry(w + 10, 202, 120, 46);
    paperGroup_->setPalette(green);
    paperGroup_->setAutoFillBackground(true);
    paperGroup_->hide();
    paperWidthEdit_ = new QLineEdit(this);
    paperWidthEdit_->setObjectName(QStringLiteral("newPaperWidthEdit"));
    paperWidthEdit_->setGeometry(w + 20, 217, 44, 20);
    auto* times = new QLabel(QStringLiteral("×"), paperGroup_);
    times->setAlignment(Qt::AlignCenter);
    times->setGeometry(54, 15, 12, 20);
    paperHeightEdit_ = new QLineEdit(this);
    paperHeightEdit_->setObjectName(QStringLiteral("newPaperHeightEdit"));
    paperHeightEdit_->setGeometry(w + 76, 217, 44, 20);
    for (QLineEdit* edit : {paperWidthEdit_, paperHeightEdit_}) {
        edit->setMaxLength(6);
        edit->hide();
    }
    const TemplateLayout& current = workspace_.Layout;
    NewPaperWidth = QString::fromStdString(PaperTextFromTenths(current.paperWidth()));
    NewPaperHeight = QString::fromStdString(PaperTextFromTenths(current.paperLength()));

    auto* import = new CGradientButton(QStringLiteral("导入图片(&P)..."), this);
    import->setObjectName(QStringLiteral("importButton"));
    import->setGeometry(w + 15, 262, 100, 39);
    import->setDefault(true);
    connect(import, &QPushButton::clicked, this, &CTemplateEditDlg::ImportPicture);

    auto* save = new CGradientButton(QStringLiteral("保存模板(&S)"), this);
    save->setObjectName(QStringLiteral("saveButton"));
    save->setGeometry(w + 15, 325, 100, 39);
    connect(save, &QPushButton::clicked, this, [this] { SaveTemplate(); });

    // Shown in mode 1: a label printer's blank label instead of a scanned form.
    blankLabelButton_ = new CGradientButton(QStringLiteral("空白标签(&B)"), this);
    blankLabelButton_->setObjectName(QStringLiteral("blankLabelButton"));
    blankLabelButton_->setGeometry(w + 15, 440, 100, 39);
    blankLabelButton_->hide();
    connect(blankLabelButton_, &QPushButton::clicked, this, &CTemplateEditDlg::CreateBlankLabel);

    // Shown in mode 1; a build without form recognition says so when it is clicked.
    recognizeButton_ = new CGradientButton(QStringLiteral("自动识别"), this);
    recognizeButton_->setObjectName(QStringLiteral("recognizeButton"));
    recognizeButton_->setGeometry(w + 15, 388, 100, 39);
    recognizeButton_->hide();
    connect(recognizeButton_, &QPushButton::clicked, this, &CTemplateEditDlg::RecognizeForm);
}

void CTemplateEditDlg::pull()
{
    EditMode = modeCombo_->currentIndex();
    NewTemplateName = nameEdit_->text();
    NewPaperWidth = paperWidthEdit_->text();
    NewPaperHeight = paperHeightEdit_->text();
}

void CTemplateEditDlg::push()
{
    const QSignalBlocker blocker(modeCombo_);
    modeCombo_->setCurrentIndex(EditMode);
    nameEdit_->setText(NewTemplateName);
    paperWidthEdit_->setText(NewPaperWidth);
    paperHeightEdit_->setText(NewPaperHeight);
}

void CTemplateEditDlg::OnModeChanged()
{
    pull();
    const bool named = EditMode == 1;
    for (QWidget* widget : std::initializer_list<QWidget*>{nameGroup_, nameEdit_, paperGroup_, paperWidthEdit_,
                                                            paperHeightEdit_, blankLabelButton_})
        widget->setVisible(named);
    recognizeButton_->setVisible(named);
    if (named)
        nameEdit_->setFocus();
}

void CTemplateEditDlg::ShowSteps()
{
    CTemplateStepsDlg steps(this);
    steps.exec();
}

QString CTemplateEditDlg::ChooseBitmap(const QString& title)
{
    return chooseFile(this, FileChoiceMode::Open, title, kPictureFilter);
}

bool CTemplateEditDlg::CheckNewName()
{
    QString message;
    switch (CheckNewTemplateName(workspace_.WorkFolder, NewTemplateName)) {
    case NewTemplateNameProblem::None:
        return true;
    case NewTemplateNameProblem::Empty:
        message = QStringLiteral("新建模板名称不能为空!");
        break;
    case NewTemplateNameProblem::BadCharacter:
        message = QStringLiteral("新建模板名称不能包含“.”、“/”或“\\”!");
        break;
    case NewTemplateNameProblem::CommaOrControl:
        message = QStringLiteral("新建模板名称不能包含英文逗号“,”、换行或控制字符!");
        break;
    case NewTemplateNameProblem::Taken:
        message = QStringLiteral("新建模板名称与已有模板名称重复!");
        break;
    }
    showMessage(this, message, kCaptionNote, MessageIcon::Warning);
    nameEdit_->setFocus();
    return false;
}

std::optional<std::pair<int, int>> CTemplateEditDlg::CheckNewPaper()
{
    const auto width = PaperTenthsFromText(NewPaperWidth.trimmed().toStdString());
    const auto height = PaperTenthsFromText(NewPaperHeight.trimmed().toStdString());
    if (width && height)
        return std::make_pair(*width, *height);
    showMessage(this,
                QStringLiteral("纸张宽、高请输入毫米数（大于0，不超过%1，最多一位小数）!")
                    .arg(kLargestPaperSide / 10),
                kCaptionNote, MessageIcon::Warning);
    QLineEdit* wrong = width ? paperHeightEdit_ : paperWidthEdit_;
    wrong->setFocus();
    wrong->selectAll();
    return std::nullopt;
}

bool CTemplateEditDlg::StoreChosenPicture(const QString& chosen, const std::filesystem::path& target)
{
    QString refusal;
    if (StorePictureAsBmp(ToPath(chosen), target, &refusal))
        return true;
    showMessage(this,
                refusal.isEmpty() ? QStringLiteral("无法读取所选图片，请选择BMP、PNG或JPEG图片!") : refusal,
                kCaptionNote, MessageIcon::Warning);
    return false;
}

void CTemplateEditDlg::ImportPicture()
{
    const Workspace& app = workspace_;
    pull();
    if (EditMode == 1) {
        if (!CheckNewName())
            return;
        const QString chosen = ChooseBitmap(QStringLiteral("导入新建模板图片"));
        if (chosen.isEmpty())
            return;
        const fs::path target = PicturePath(app.WorkFolder, ToFileName(NewTemplateName));
        if (!StoreChosenPicture(chosen, target))
            return;
        if (surface_->loadPicture(target))
            shownPicture_ = target;
        blankLabel_ = false;
        if (!pendingNewPictures_.contains(NewTemplateName))
            pendingNewPictures_.append(NewTemplateName);
        layoutModified_ = true;
        return;
    }

    const QString chosen = ChooseBitmap(QStringLiteral("替换当前模板图片"));
    if (chosen.isEmpty())
        return;
    const fs::path current = PicturePath(app.WorkFolder, app.CurrentTemplate);
    const fs::path replacement = ReplacementPicturePath(app.WorkFolder, app.CurrentTemplate);
    if (SameFile(ToPath(chosen), current)) {
        showMessage(this, QStringLiteral("不能用原图替换自己,操作失败!"), kCaptionNote, MessageIcon::Warning);
        return;
    }
    if (!StoreChosenPicture(chosen, replacement))
        return;
    if (surface_->loadPicture(replacement))
        shownPicture_ = replacement;
    blankLabel_ = false;
    layoutModified_ = true;
    pendingReplacement_ = true;
}

void CTemplateEditDlg::CreateBlankLabel()
{
    pull();
    if (EditMode != 1 || !CheckNewName())
        return;
    const auto paper = CheckNewPaper();
    if (!paper)
        return;
    const fs::path target = PicturePath(workspace_.WorkFolder, ToFileName(NewTemplateName));
    if (!BlankLabelPicture(paper->first, paper->second).save(PathToQString(target), "BMP")) {
        showMessage(this, QStringLiteral("保存失败！"), kCaptionNote, MessageIcon::Warning);
        return;
    }
    if (surface_->loadPicture(target))
        shownPicture_ = target;
    blankLabel_ = true;
    if (!pendingNewPictures_.contains(NewTemplateName))
        pendingNewPictures_.append(NewTemplateName);
    layoutModified_ = true;
}

bool CTemplateEditDlg::SaveTemplate()
{
    Workspace& app = workspace_;
    pull();
    const TemplateLayout& edited = surface_->tracker().layout();
    if (EditMode == 1) {
        if (!CheckNewName())
            return false;
        const auto paper = CheckNewPaper();
        if (!paper)
            return false;
        const std::string name = ToFileName(NewTemplateName);
        const fs::path picture = PicturePath(app.WorkFolder, name);
        if (!fs::exists(picture)) {
            // The new template gets the picture the editor shows.
            if (!CopyPicture(shownPicture_, picture))
                CopyPicture(PicturePath(app.WorkFolder, app.CurrentTemplate), picture);
        }
        // The new template's file is built beside the current layout, which stays as it is.
        TemplateLayout layout = app.Layout;
        TakeBoxes(layout, edited);
        layout.setCell(0, 1, ToCodePage(NewTemplateName));
        // Made on a blank label: printed on labels of exactly its size; made on a form: not,
        // whatever the template it was made from is.
        SetBlankLabel(layout, blankLabel_);
        layout.setNumber(0, 2, paper->first);
        layout.setNumber(0, 3, paper->second);
        // Boxes are kept in pixels of the picture: the header names the picture they were placed on.
        const QImage stored = LoadPictureImage(picture);
        if (!stored.isNull()) {
            layout.setNumber(0, 4, stored.width());
            layout.setNumber(0, 5, stored.height());
        }
        if (!SaveLayoutFile(LayoutPath(app.WorkFolder, name), layout)) {
            showMessage(this, QStringLiteral("保存失败！"), kCaptionNote, MessageIcon::Warning);
            return false;
        }
        const std::string current = ToCodePage(FromFileName(app.CurrentTemplate));
        if (!TemplateNameLess(current, ToCodePage(NewTemplateName)))
            ShiftTemplatePosition(app.settingsPaths().mouldIni, app.TemplatePosition, +1);
    } else {
        TakeBoxes(app.Layout, edited);
        // A replaced picture may have another size: the boxes were placed on it.
        if (pendingReplacement_ && !surface_->picture().isNull()) {
            app.Layout.setNumber(0, 4, surface_->picture().width());
            app.Layout.setNumber(0, 5, surface_->picture().height());
        }
        if (!SaveLayoutFile(LayoutPath(app.WorkFolder, app.CurrentTemplate), app.Layout)) {
            showMessage(this, QStringLiteral("保存失败！"), kCaptionNote, MessageIcon::Warning);
            return false;
        }
        currentSaved_ = true;
    }
    emit layoutSaved();
    layoutModified_ = false;
    surface_->tracker().setModified(false);
    showMessage(this, QStringLiteral("保存成功！"), QStringLiteral("提示"), MessageIcon::Information);
    return true;
}

void CTemplateEditDlg::RecognizeForm()
{
#ifdef DORVANE_HAS_RECOGNITION
    if (recognition_ && recognition_->running())
        return;
    pull();
    if (EditMode != 1 || !CheckNewName())
        return;
    const QString chosen = ChooseBitmap(QStringLiteral("自动识别快递单图片"));
    if (chosen.isEmpty())
        return;
    if (!recognition_) {
        recognition_ = new FormRecognitionRun(this);
        connect(recognition_, &FormRecognitionRun::finished, this, &CTemplateEditDlg::ApplyRecognition);
    }
    recognitionName_ = NewTemplateName;
    // Window-modal: the editor keeps painting but takes no edits until the boxes arrive.
    recognitionProgress_ = new QProgressDialog(QStringLiteral("正在识别快递单..."), QString(), 0, 100, this);
    recognitionProgress_->setObjectName(QStringLiteral("recognitionProgress"));
    recognitionProgress_->setWindowTitle(QStringLiteral("自动识别"));
    recognitionProgress_->setWindowModality(Qt::WindowModal);
    recognitionProgress_->setMinimumDuration(0);
    recognitionProgress_->setAutoClose(false);
    recognitionProgress_->setAutoReset(false);
    connect(recognition_, &FormRecognitionRun::progressed, recognitionProgress_, &QProgressDialog::setValue);
    recognitionProgress_->show();
    recognition_->start(ToPath(chosen));
#else
    showMessage(this, QString::fromUtf8(kNoRecognitionMessage), kCaptionNote, MessageIcon::Information);
#endif
}

void CTemplateEditDlg::ApplyRecognition()
{
#ifdef DORVANE_HAS_RECOGNITION
    if (recognitionProgress_) {
        recognitionProgress_->close();
        recognitionProgress_->deleteLater();
        recognitionProgress_ = nullptr;
    }
    if (!isVisible())
        return; // closed meanwhile: its pictures are settled already
    const FormRecognition& result = recognition_->result();
    switch (result.failure) {
    case RecognitionFailure::None:
        break;
    case RecognitionFailure::NoPicture:
        showMessage(this, QStringLiteral("无法读取所选图片，请选择BMP、PNG或JPEG图片!"), kCaptionNote,
                    MessageIcon::Warning);
        return;
    case RecognitionFailure::TooLarge:
        showMessage(this, QString::fromStdString(result.error), kCaptionNote, MessageIcon::Warning);
        return;
    case RecognitionFailure::NoFrame:
        showMessage(this, QStringLiteral("图片中找不到快递单的外框，无法自动识别!"), kCaptionNote,
                    MessageIcon::Warning);
        return;
    case RecognitionFailure::NoReader:
        showMessage(this, QStringLiteral("缺少文字识别数据(Tesseract 简体中文)，无法自动识别!"), kCaptionNote,
                    MessageIcon::Warning);
        return;
    case RecognitionFailure::TooFew: {
        // Too little to build on: the picture and boxes shown stay as they are.
        QStringList found;
        const auto names = FieldNames();
        for (int i = 0; i < kFieldCount; ++i)
            if (result.fields[static_cast<std::size_t>(i)].found)
                found.append(names[static_cast<std::size_t>(i)]);
        QString text = QStringLiteral("只识别出%1个栏目，不足一半，无法据此生成模板，当前模板未改动。")
                           .arg(found.size());
        if (!found.isEmpty())
            text += QStringLiteral("\n识别出的栏目：") + found.join(QStringLiteral("、"));
        text += QStringLiteral("\n请导入图片后手动拖动各栏目。");
        showMessage(this, text, kCaptionNote, MessageIcon::Warning);
        return;
    }
    }
    // The straightened picture becomes the new template's, settled like an imported one.
    const fs::path target = PicturePath(workspace_.WorkFolder, ToFileName(recognitionName_));
    if (!SaveRecognizedPicture(target, result)) {
        showMessage(this, QStringLiteral("无法保存识别出的图片!"), kCaptionNote, MessageIcon::Warning);
        return;
    }
    if (!pendingNewPictures_.contains(recognitionName_))
        pendingNewPictures_.append(recognitionName_);
    if (surface_->loadPicture(target))
        shownPicture_ = target;
    blankLabel_ = false;
    TemplateLayout edited = surface_->tracker().layout();
    PlaceRecognizedFields(edited, result);
    surface_->tracker().setLayout(edited);
    surface_->update();
    layoutModified_ = true;

    pull();
    NewPaperWidth = QString::fromStdString(PaperTextFromTenths(result.suggestedPaper.width));
    NewPaperHeight = QString::fromStdString(PaperTextFromTenths(result.suggestedPaper.height));
    push();
    QStringList missing;
    const auto names = FieldNames();
    for (int i = 0; i < kFieldCount; ++i)
        if (!result.fields[static_cast<std::size_t>(i)].found)
            missing.append(names[static_cast<std::size_t>(i)]);
    QString text = QStringLiteral("自动识别完成。");
    if (!missing.isEmpty())
        text += QStringLiteral("\n以下栏目未找到，已放在图片右侧(红框)，请拖动到位：\n") +
                missing.join(QStringLiteral("、"));
    text += QStringLiteral("\n纸张尺寸建议为%1×%2毫米，请按实际快递单核对后保存。").arg(NewPaperWidth, NewPaperHeight);
    showMessage(this, text, QStringLiteral("提示"), MessageIcon::Information);
#endif
}

void CTemplateEditDlg::SettlePictures()
{
    const Workspace& app = workspace_;
    // A picture imported for a new template stays only with that template's layout file.
    for (const QString& name : pendingNewPictures_) {
        const std::string file = ToFileName(name);
        if (!fs::exists(LayoutPath(app.WorkFolder, file)))
            RemoveFile(PicturePath(app.WorkFolder, file));
    }
    pendingNewPictures_.clear();
    if (pendingReplacement_) {
        const fs::path replacement = ReplacementPicturePath(app.WorkFolder, app.CurrentTemplate);
        if (currentSaved_) {
            // Renamed over the old picture in one step: if that fails the old one stays.
            std::error_code ec;
            fs::rename(replacement, PicturePath(app.WorkFolder, app.CurrentTemplate), ec);
        } else {
            RemoveFile(replacement);
        }
        pendingReplacement_ = false;
    }
}

void CTemplateEditDlg::closeEvent(QCloseEvent* event)
{
    if (!ConfirmCloseWithSave(this, layoutModified_, [this] { SaveTemplate(); })) {
        event->ignore();
        return;
    }
    SettlePictures();
    event->accept();
    QDialog::reject();
}

void CTemplateEditDlg::reject()
{
    SettlePictures();
    QDialog::reject();
}

} // namespace dorvane
