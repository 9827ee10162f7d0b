#include "waybill/WaybillDlg.h"

#include "about/AboutDlg.h"
#include "about/HelpDlg.h"
#include "store/AddressBook.h"
#include "workspace/Workspace.h"
#include "text/CodePageChars.h"
#include "text/CodePageText.h"
#include "base/MessageBox.h"
#include "store/PrintLog.h"
#include "base/ProgramPictures.h"
#include "base/SettingsFiles.h"
#include "text/TextFile.h"
#include "controls/ColouredLabel.h"
#include "controls/GradientButton.h"
#include "settings/SettingsDlg.h"
#include "editor/AdjustPreviewDlg.h"
#include "editor/EditingSurface.h"
#include "workspace/CurrentTemplate.h"
#include "template/TemplateList.h"
#include "template/TemplatePicture.h"
#include "template/TemplateStore.h"
#include "batch/WindowPrint.h"
#include "address/ClipboardAddress.h"
#include "address/AddressRecord.h"
#include "batch/BatchPrintDlg.h"
#include "waybill/CompletionCombo.h"
#include "batch/BarcodeQuestion.h"
#include "batch/CutFieldMarker.h"
#include "waybill/PictureFrame.h"
#include "printlog/PrintLogDlg.h"
#include "settings/PrinterChoice.h"
#include "waybill/SystemMenu.h"
#include "address/WaybillDefaults.h"

#include <QApplication>
#include <QByteArrayList>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <memory>
#include <optional>
#include <unordered_set>
#include <utility>

namespace dorvane {

namespace {

// Design client size; dialog units of the window's layout are 1.5 pixels.
constexpr int kDesignWidth = 894;
constexpr int kDesignHeight = 644;
QRect FromDialogUnits(int left, int top, int width, int height)
{
    const auto px = [](int du) { return du * 3 / 2; };
    return {px(left), px(top), px(width), px(height)};
}

// Object names of the field controls, in catalogue order.
constexpr std::array<const char*, kFieldCount> kFieldObjectNames = {
    "destinationEdit",        "senderNameEdit",       "originEdit",          "recipientNameEdit",
    "senderCompanyEdit",      "recipientCompanyEdit", "senderAddressEdit",   "recipientAddressEdit",
    "senderTelephoneEdit",    "recipientTelephoneEdit", "senderMobileEdit",  "senderPostcodeEdit",
    "recipientMobileEdit",    "recipientPostcodeEdit", "goodsNameCombo",     "pieceCountEdit",
    "senderSignatureEdit",    "yearEdit",             "monthEdit",           "dayEdit",
};

// The texts of a stored list in the order the combos show them.
QStringList SortedEntries(const std::vector<StoredText>& rows)
{
    std::vector<const std::string*> order;
    order.reserve(rows.size());
    for (const StoredText& row : rows)
        order.push_back(&row.text);
    std::stable_sort(order.begin(), order.end(),
                     [](const std::string* a, const std::string* b) { return CompareCodePageText(*a, *b) < 0; });
    QStringList entries;
    entries.reserve(static_cast<qsizetype>(order.size()));
    for (const std::string* text : order)
        entries.append(FromCodePage(*text));
    return entries;
}

// A picker's entries: each record as stored, in the order the combos show them, with its five
// parts as the entry's data. Choosing an entry fills the fields from those parts, never from
// its shown text cut again.
void FillPicker(CCompletionCombo* picker, std::vector<StoredText> rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const StoredText& a, const StoredText& b) {
        return CompareCodePageText(a.text, b.text) < 0;
    });
    QStringList entries;
    QVariantList data;
    for (const StoredText& row : rows) {
        entries.append(FromCodePage(row.text));
        QByteArrayList parts;
        for (const std::string& part : PickedAddressParts(row.text))
            parts.append(QByteArray::fromStdString(part));
        data.append(QVariant::fromValue(parts));
    }
    picker->addEntries(entries, data);
}

AddressParts EntryParts(const QComboBox* picker, int index)
{
    const auto stored = picker->itemData(index).value<QByteArrayList>();
    AddressParts parts;
    for (std::size_t i = 0; i < parts.size() && i < static_cast<std::size_t>(stored.size()); ++i)
        parts[i] = stored[static_cast<qsizetype>(i)].toStdString();
    return parts;
}

constexpr int kRecipientNameField = 3;
constexpr int kRecipientAddressField = 7;
// The fields of RecipientKey: a change of one of them may be a recipient printed before.
constexpr std::array<int, 4> kRecipientKeyFields = {3, 7, 9, 12};
constexpr std::array<int, 3> kDateFields = {kYearField, kMonthField, kDayField};
// How far back a waybill to the same recipient is shown as printed before.
constexpr int kPrintedBeforeDays = 3;

// Grows a label (or check box) to show its whole text: to the left when it is right-aligned,
// else to the right; down when it is top-aligned, else evenly up and down.
void GrowToText(QWidget* widget, Qt::Alignment alignment)
{
    const QSize need = widget->sizeHint();
    QRect place = widget->geometry();
    if (need.width() > place.width()) {
        if (alignment & Qt::AlignRight)
            place.setLeft(place.right() + 1 - need.width());
        else
            place.setWidth(need.width());
    }
    if (need.height() > place.height()) {
        const int grow = need.height() - place.height();
        const int up = (alignment & Qt::AlignTop) ? 0 : grow / 2;
        place.adjust(0, -up, 0, grow - up);
    }
    widget->setGeometry(place);
}


} // namespace

CWaybillDlg::CWaybillDlg(Workspace& workspace, QWidget* parent) : QDialog(parent), workspace_(workspace)
{
    setObjectName(QStringLiteral("waybillDialog"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("宋体"), 9));
    setWindowIcon(ProgramIcon());
    setFixedSize(kDesignWidth, kDesignHeight);
    createControls();
    AddAboutItemToSystemMenu(this);
    // A window left open past midnight shows the new day.
    auto* dayTimer = new QTimer(this);
    connect(dayTimer, &QTimer::timeout, this, &CWaybillDlg::RefreshDate);
    dayTimer->start(60 * 1000);
    FieldText[kPieceCountField] = QStringLiteral("1");

    FillTemplateList();
    setTitle();
    LoadTemplatePicture();
    LoadSenderDetails();
    // A store moved elsewhere tells every one of these.
    storeListeners_.subscribe(StoreChange::Goods, [this] { FillGoodsList(); });
    storeListeners_.subscribe(StoreChange::Addresses, [this] { FillAddressPickers(); });
    storeListeners_.subscribe(StoreChange::PrintLog, [this] {
        // The recipient shown may be one printed just now, or printed before in another store.
        logUnreachable_ = false;
        printedBeforeTimer_->start();
    });
    FillGoodsList();
    FillAddressPickers();
    JoinClipboardViewer();
    LayOutFieldControls();
    fillDate();
    push();
    RemeasureCuts();
    QTimer::singleShot(500, this, &CWaybillDlg::onHelpTimer);
}

CWaybillDlg::~CWaybillDlg()
{
    // Hiding the window moves the focus out of a picker while it is torn down; nothing it
    // reports then may reach this object, whose members are gone.
    senderPicker_->disconnect(this);
    recipientPicker_->disconnect(this);
    // Entries on their way to the server arrive (or wait in the queue) before the program ends.
    storeWorker_.waitForDone();
}

CWaybillDlg::ModalScope::ModalScope(CWaybillDlg& window) : window_(window)
{
    ++window_.modalDepth_;
}

CWaybillDlg::ModalScope::~ModalScope()
{
    if (--window_.modalDepth_ == 0)
        window_.TakeDeferredCopy();
}

void CWaybillDlg::createControls()
{
    pictureFrame_ = new PictureFrame(this);
    pictureFrame_->setGeometry(FromDialogUnits(0, 0, 595, 335));

    for (const WaybillField& field : kWaybillFields) {
        QWidget* control = nullptr;
        if (field.controlId == 1004 || field.controlId == 1010) {
            auto* edit = new QPlainTextEdit(this);
            edit->setTabChangesFocus(true);
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            control = edit;
        } else if (field.controlId == 1013) {
            goodsCombo_ = new CCompletionCombo(this);
            control = goodsCombo_;
        } else {
            control = new QLineEdit(this);
        }
        control->setObjectName(QString::fromLatin1(kFieldObjectNames[static_cast<std::size_t>(field.index)]));
        fieldControls_[static_cast<std::size_t>(field.index)] = control;
    }

    ColouredLabel(QStringLiteral("常用寄件地址："), kHintBlue, this)->setGeometry(FromDialogUnits(5, 356, 57, 12));
    senderPicker_ = new CCompletionCombo(this);
    senderPicker_->setObjectName(QStringLiteral("senderPicker"));
    senderPicker_->setGeometry(FromDialogUnits(66, 356, 213, 14));

    ColouredLabel(QStringLiteral("常用收件地址："), kHintBlue, this)->setGeometry(FromDialogUnits(304, 356, 57, 12));
    recipientPicker_ = new CCompletionCombo(this);
    recipientPicker_->setObjectName(QStringLiteral("recipientPicker"));
    recipientPicker_->setGeometry(FromDialogUnits(365, 356, 163, 14));
    auto* clearRecipient = new CGradientButton(QStringLiteral("清空收件人"), this);
    clearRecipient->setObjectName(QStringLiteral("clearRecipientButton"));
    clearRecipient->setGeometry(FromDialogUnits(533, 355, 53, 16));
    clearRecipient->setAutoDefault(false);
    connect(clearRecipient, &QPushButton::clicked, this, &CWaybillDlg::ClearRecipient);

    auto* group = new QGroupBox(QStringLiteral("操作区"), this);
    // Qt draws the caption above the frame line rather than on it: lift the box by half a
    // caption so the frame clears the template list's label, as the form was laid out.
    group->setGeometry(FromDialogUnits(5, 379, 586, 47).adjusted(0, -(group->fontMetrics().height() / 2 + 2), 0, 0));
    group->lower();

    ColouredLabel(QStringLiteral("选择快递单模板"), kHintBlue, this)->setGeometry(FromDialogUnits(11, 389, 84, 8));
    templateCombo_ = new QComboBox(this);
    templateCombo_->setObjectName(QStringLiteral("templateCombo"));
    templateCombo_->setGeometry(FromDialogUnits(11, 402, 84, 14));

    struct ButtonSpec {
        const char* objectName;
        QString caption;
        QRect place;
    };
    const ButtonSpec buttons[] = {
        {"saveSenderButton", QStringLiteral("保存寄件信息(&B)"), FromDialogUnits(103, 394, 70, 20)},
        {"aboutButton", QStringLiteral("关于(&A)"), FromDialogUnits(185, 394, 70, 20)},
        {"settingsButton", QStringLiteral("设置(&S)..."), FromDialogUnits(267, 394, 70, 20)},
        {"batchPrintButton", QStringLiteral("批量打印(&M)..."), FromDialogUnits(349, 394, 70, 20)},
        {"previewButton", QStringLiteral("预览/调整(&V)..."), FromDialogUnits(431, 394, 70, 20)},
        {"printButton", QStringLiteral("打印(&P)"), FromDialogUnits(513, 394, 70, 20)},
    };
    for (const ButtonSpec& spec : buttons) {
        auto* button = new CGradientButton(spec.caption, this);
        button->setObjectName(QString::fromLatin1(spec.objectName));
        button->setGeometry(spec.place);
        button->setAutoDefault(false);
    }
    auto* printButton = findChild<QPushButton*>(QStringLiteral("printButton"));
    printButton->setDefault(true);
    // Under the print button, inside the frame: what the print button does next.
    withPictureBox_ = new QCheckBox(QStringLiteral("带底图打印"), this);
    withPictureBox_->setObjectName(QStringLiteral("withPictureCheck"));
    withPictureBox_->setToolTip(QStringLiteral("在白纸上连同模板底图一起打印，可叠在真实快递单上核对位置"));
    withPictureBox_->setGeometry(FromDialogUnits(513, 415, 70, 10));
    // Beside it, under the batch and preview buttons: the waybill number of the form in the
    // printer, typed or read by a scanner that types it (its Enter prints). It goes into the
    // print log only.
    auto* numberLabel = new QLabel(QStringLiteral("运单号："), this);
    numberLabel->setGeometry(FromDialogUnits(349, 415, 30, 10));
    numberLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    waybillNumberEdit_ = new QLineEdit(this);
    waybillNumberEdit_->setObjectName(QStringLiteral("waybillNumberEdit"));
    waybillNumberEdit_->setToolTip(QStringLiteral("可选：输入或扫描快递单号，记入打印记录；模板有运单号条码时印成条码"));
    waybillNumberEdit_->setGeometry(FromDialogUnits(381, 415, 120, 10).adjusted(0, 1, 0, 0)); // clear of the buttons
    numberLabel->setBuddy(waybillNumberEdit_);
    // Beside the recipient: the same recipient was sent a waybill a short while ago.
    printedBeforeLabel_ = ColouredLabel(QString(), QColor(255, 0, 0), this, QStringLiteral("printedBeforeLabel"));
    printedBeforeLabel_->setGeometry(FromDialogUnits(304, 338, 286, 14));
    printedBeforeLabel_->hide();
    printedBeforeTimer_ = new QTimer(this);
    printedBeforeTimer_->setSingleShot(true);
    printedBeforeTimer_->setInterval(300);
    connect(printedBeforeTimer_, &QTimer::timeout, this, &CWaybillDlg::CheckPrintedBefore);
    // Every caption whole, whatever the font and the screen's scale.
    for (QLabel* label : findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
        GrowToText(label, label->alignment());
    GrowToText(withPictureBox_, Qt::AlignLeft | Qt::AlignTop); // the print button lies just above
    // Under the about button: the waybills printed so far, to find, print again or export.
    auto* logButton = new QPushButton(QStringLiteral("打印记录..."), this);
    logButton->setObjectName(QStringLiteral("printLogButton"));
    logButton->setAutoDefault(false);
    logButton->setGeometry(FromDialogUnits(185, 415, 70, 10).adjusted(0, 1, 0, 0));
    connect(logButton, &QPushButton::clicked, this, &CWaybillDlg::OpenPrintLog);
    connect(printButton, &QPushButton::clicked, this, &CWaybillDlg::accept);
    connect(findChild<QPushButton*>(QStringLiteral("saveSenderButton")), &QPushButton::clicked, this,
            &CWaybillDlg::OnSaveSenderClicked);
    connect(findChild<QPushButton*>(QStringLiteral("aboutButton")), &QPushButton::clicked, this,
            &CWaybillDlg::ShowAboutBox);
    connect(findChild<QPushButton*>(QStringLiteral("settingsButton")), &QPushButton::clicked, this,
            &CWaybillDlg::OpenSettings);
    connect(findChild<QPushButton*>(QStringLiteral("previewButton")), &QPushButton::clicked, this,
            &CWaybillDlg::OpenPreview);
    connect(findChild<QPushButton*>(QStringLiteral("batchPrintButton")), &QPushButton::clicked, this,
            &CWaybillDlg::OpenBatchPrint);
    connect(templateCombo_, &QComboBox::activated, this, &CWaybillDlg::ChangeTemplate);
    connect(senderPicker_, &CCompletionCombo::entryChosen, this, &CWaybillDlg::OnSenderPicked);
    connect(senderPicker_, &CCompletionCombo::textEditedByUser, this, &CWaybillDlg::OnSenderTyped);
    connect(recipientPicker_, &CCompletionCombo::entryChosen, this, &CWaybillDlg::OnRecipientPicked);
    connect(recipientPicker_, &CCompletionCombo::textEditedByUser, this, &CWaybillDlg::OnRecipientTyped);

    // The field controls lie over the picture.
    for (QWidget* control : fieldControls_)
        control->raise();

    // Every change of a text, typed or filled in, is measured against its printed box.
    cutMarker_ = new CutFieldMarker(workspace_, fieldControls_, this);
    for (int i = 0; i < kFieldCount; ++i) {
        QWidget* control = fieldControl(i);
        const bool keyField = std::find(kRecipientKeyFields.begin(), kRecipientKeyFields.end(), i) != kRecipientKeyFields.end();
        const auto changed = [this, i, keyField] {
            cutMarker_->mark(i, controlText(i));
            if (keyField)
                printedBeforeTimer_->start();
        };
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            connect(edit, &QLineEdit::textChanged, this, changed);
        else if (auto* edit = qobject_cast<QPlainTextEdit*>(control))
            connect(edit, &QPlainTextEdit::textChanged, this, changed);
        else
            connect(static_cast<QComboBox*>(control), &QComboBox::editTextChanged, this, changed);
    }
}

void CWaybillDlg::RemeasureCuts()
{
    std::array<QString, kFieldCount> texts;
    for (int i = 0; i < kFieldCount; ++i)
        texts[static_cast<std::size_t>(i)] = controlText(i);
    cutMarker_->remeasure(workspace_.Layout, texts);
}

bool CWaybillDlg::IsMarkedCut(int index) const
{
    return cutMarker_->isMarked(index);
}

QString CWaybillDlg::controlText(int index) const
{
    QWidget* control = fieldControl(index);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(control))
        return edit->toPlainText();
    return static_cast<QComboBox*>(control)->currentText();
}

void CWaybillDlg::setControlText(int index, const QString& text)
{
    // An unchanged text is left alone, so that a push keeps the caret and selection.
    if (controlText(index) == text)
        return;
    QWidget* control = fieldControl(index);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(text);
    else if (auto* edit = qobject_cast<QPlainTextEdit*>(control))
        edit->setPlainText(text);
    else
        static_cast<QComboBox*>(control)->setEditText(text);
}

void CWaybillDlg::pull()
{
    for (int i = 0; i < kFieldCount; ++i)
        FieldText[static_cast<std::size_t>(i)] = controlText(i);
    SelectedTemplate = templateCombo_->currentIndex();
    SenderPickerText = senderPicker_->currentText();
    RecipientPickerText = recipientPicker_->currentText();
    PrintWithPicture = withPictureBox_->isChecked();
}

void CWaybillDlg::push()
{
    for (int i = 0; i < kFieldCount; ++i)
        setControlText(i, FieldText[static_cast<std::size_t>(i)]);
    templateCombo_->setCurrentIndex(SelectedTemplate);
    if (senderPicker_->currentText() != SenderPickerText)
        senderPicker_->setEditText(SenderPickerText);
    if (recipientPicker_->currentText() != RecipientPickerText)
        recipientPicker_->setEditText(RecipientPickerText);
    withPictureBox_->setChecked(PrintWithPicture);
}

void CWaybillDlg::FillTemplateList()
{
    Workspace& app = workspace_;
    templateCombo_->clear();
    for (const TemplateEntry& entry : SortedTemplates(app.WorkFolder))
        templateCombo_->addItem(entry.name, TemplateItemData(entry));

    const MouldSettings mould = LoadOrCreateMould(app.settingsPaths().mouldIni);
    app.ShowHelpFlag = mould.showHelpFlag;
    SelectedTemplate = TemplateIndexFromPosition(mould.templatePosition, templateCombo_->count());
    app.TemplatePosition = std::to_string(SelectedTemplate);
    app.CurrentTemplate = TemplateFileName(templateCombo_->itemData(SelectedTemplate));
    push();
}

void CWaybillDlg::setTitle()
{
    setWindowTitle(QStringLiteral("Halvik快递单打印软件 V2.2.2 —— 当前模板：%1")
                       .arg(FromFileName(workspace_.CurrentTemplate)));
}

void CWaybillDlg::LoadTemplatePicture()
{
    const QPixmap picture =
        LoadPictureFile(PicturePath(workspace_.WorkFolder, workspace_.CurrentTemplate), "BMP");
    if (!picture.isNull()) {
        pictureFrame_->resize(picture.size());
        pictureFrame_->setPicture(picture);
    } else {
        // No picture for this template: show none rather than the previous template's form.
        pictureFrame_->setPicture(QPixmap());
    }
}

void CWaybillDlg::LayOutFieldControls()
{
    LoadTemplateLayout(workspace_, this);
    const TemplateLayout& layout = workspace_.Layout;
    const ViewScales scales = ViewScalesFor(width(), height()); // the client area is the window
    for (int i = 0; i < kFieldCount; ++i) {
        const int row = i + 1;
        const ViewPixelRect r = ViewRect(layout.number(row, 2), layout.number(row, 3), layout.number(row, 4),
                                     layout.number(row, 5), scales);
        QWidget* control = fieldControl(i);
        control->setGeometry(r.left, r.top, std::max(0, r.width), std::max(0, r.height));
        control->update();
    }
}

void CWaybillDlg::LoadSenderDetails()
{
    const SenderDetails details = LoadOrCreateAddress(workspace_.settingsPaths().addressIni);
    for (std::size_t i = 0; i < details.size(); ++i) {
        // The first start's file holds a blank for an empty value: it is no part of what is typed next.
        QString value = FromCodePage(details[i]);
        if (value.trimmed().isEmpty())
            value.clear();
        FieldText[static_cast<std::size_t>(kSenderDetailFields[i])] = value;
    }
}

void CWaybillDlg::SaveSenderDetails()
{
    pull();
    SenderDetails details;
    for (std::size_t i = 0; i < details.size(); ++i)
        details[i] = ToCodePage(FieldText[static_cast<std::size_t>(kSenderDetailFields[i])]);
    SaveAddress(workspace_.settingsPaths().addressIni, details);
}

void CWaybillDlg::OnSaveSenderClicked()
{
    const ModalScope waiting(*this);
    pull();
    SenderDetails details;
    for (std::size_t i = 0; i < details.size(); ++i)
        details[i] = ToCodePage(FieldText[static_cast<std::size_t>(kSenderDetailFields[i])]);
    if (!SaveAddress(workspace_.settingsPaths().addressIni, details)) {
        showMessage(this, QStringLiteral("保存失败！无法写入 Set/address.ini。"), QStringLiteral("注意"),
                    MessageIcon::Warning);
        return;
    }
    showMessage(this, QStringLiteral("保存成功！"), QStringLiteral("提示"), MessageIcon::Information);
}

void CWaybillDlg::ChangeTemplate(int index)
{
    Workspace& app = workspace_;
    app.CurrentTemplate = TemplateFileName(templateCombo_->itemData(index));
    setTitle();
    LayOutFieldControls();
    LoadTemplatePicture();
    RemeasureCuts();
    update();
    SelectedTemplate = index;
    app.TemplatePosition = std::to_string(index);
    SaveTemplatePosition(app.settingsPaths().mouldIni, app.TemplatePosition);
}

void CWaybillDlg::fillDate()
{
    const QDate today = Clock().date();
    const auto date = DateFieldTexts(today.year(), today.month(), today.day());
    for (std::size_t i = 0; i < kDateFields.size(); ++i) {
        filledDate_[i] = QString::fromStdString(date[i]);
        FieldText[static_cast<std::size_t>(kDateFields[i])] = filledDate_[i];
    }
}

// The date the window filled follows the calendar day; a date the user typed stays as typed.
void CWaybillDlg::RefreshDate()
{
    for (std::size_t i = 0; i < kDateFields.size(); ++i) {
        if (controlText(kDateFields[i]) != filledDate_[i])
            return;
    }
    fillDate();
    for (const int field : kDateFields)
        setControlText(field, FieldText[static_cast<std::size_t>(field)]);
}

void CWaybillDlg::accept()
{
    PrintCurrentWaybill();
}

void CWaybillDlg::reject()
{
    QDialog::reject();
}

// Escape would end the dialog, and with it the program and the waybill being typed; only the
// close box ends it.
void CWaybillDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CWaybillDlg::event(QEvent* event)
{
    // A dialog that is not the window's own closed: the copy it held back fills the window now.
    if (event->type() == QEvent::WindowUnblocked)
        QTimer::singleShot(0, this, &CWaybillDlg::TakeDeferredCopy);
    return QDialog::event(event);
}

bool CWaybillDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    if (IsAboutSystemCommand(eventType, message)) {
        ShowAboutBox();
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}

void CWaybillDlg::onHelpTimer()
{
    if (workspace_.ShowHelpFlag != "1")
        ShowFirstUseHelp();
}

// Other programs' copies arrive through the platform clipboard's change notice, also while a
// modal dialog of ours is open. Joining takes over what the clipboard already holds.
void CWaybillDlg::JoinClipboardViewer()
{
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &CWaybillDlg::OnClipboardChanged);
    ApplyCopiedText(QGuiApplication::clipboard()->text(), true);
}

// While a question or a dialog is open, the window holds what is being decided there: a copy
// of the next buyer waits until it closes (the last one copied that is an address).
void CWaybillDlg::OnClipboardChanged()
{
    const QString text = QGuiApplication::clipboard()->text();
    const QWidget* modal = QApplication::activeModalWidget();
    if (modalDepth_ > 0 || (modal != nullptr && modal != this)) {
        if (ParseClipboardAddress(ToCodePage(text)))
            deferredCopy_ = text;
        return;
    }
    ApplyCopiedText(text, false);
}

void CWaybillDlg::TakeDeferredCopy()
{
    const QWidget* modal = QApplication::activeModalWidget();
    if (modalDepth_ > 0 || (modal != nullptr && modal != this) || !deferredCopy_)
        return;
    ApplyCopiedText(*std::exchange(deferredCopy_, std::nullopt), false);
}

void CWaybillDlg::ApplyCopiedText(const QString& text, bool atStartUp)
{
    const auto fields = ParseClipboardAddress(ToCodePage(text));
    if (!fields)
        return;
    auto recipient = RecipientTexts(*fields);
    if (!atStartUp) {
        ApplyRecipient(recipient, false);
        return;
    }
    // Still on the clipboard from before the start and printed last: that parcel went out.
    std::array<std::string, kFieldCount> texts;
    for (const auto& [index, value] : recipient)
        texts[static_cast<std::size_t>(index)] = value;
    const StoreLocation location = workspace_.addressBook();
    FromStore(location, [this, location, texts, recipient]() -> std::function<void()> {
        const auto newest = PrintLog(location).NewestRecipientKey();
        const bool printedLast = newest && newest.value() == RecipientKey(texts);
        return [this, printedLast, recipient] {
            if (!printedLast)
                ApplyRecipient(recipient, true);
        };
    });
}

void CWaybillDlg::ApplyRecipient(const RecipientPairs& recipient, bool atStartUp)
{
    for (const auto& [index, value] : recipient) {
        FieldText[static_cast<std::size_t>(index)] = FromCodePage(value);
        setControlText(index, FieldText[static_cast<std::size_t>(index)]);
    }
    if (atStartUp)
        return;
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void CWaybillDlg::CheckPrintedBefore()
{
    std::array<std::string, kFieldCount> texts;
    bool any = false;
    for (const int field : kRecipientKeyFields) {
        texts[static_cast<std::size_t>(field)] = ToCodePage(controlText(field));
        any = any || !texts[static_cast<std::size_t>(field)].empty();
    }
    printedBeforeLabel_->hide();
    if (!any || logUnreachable_)
        return;
    const QString since = Clock().addDays(-kPrintedBeforeDays).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const StoreLocation location = workspace_.addressBook();
    FromStore(location, [this, location, texts, since = since.toStdString()]() -> std::function<void()> {
        auto last = PrintLog(location).LastPrintTo(texts, since);
        return [this, last = std::move(last)] { ShowPrintedBefore(last); };
    });
}

void CWaybillDlg::ShowPrintedBefore(const Result<std::optional<std::string>>& last)
{
    printedBeforeLabel_->hide();
    if (!last) {
        // A server that cannot be reached would hold up every change of the recipient.
        logUnreachable_ = last.error().kind == StoreError::CannotOpen;
        return;
    }
    if (!last.value())
        return;
    const QDateTime printed =
        QDateTime::fromString(QString::fromStdString(*last.value()), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    printedBeforeLabel_->setText(QStringLiteral("已于 %1 打印过").arg(printed.toString(QStringLiteral("MM-dd HH:mm"))));
    GrowToText(printedBeforeLabel_, printedBeforeLabel_->alignment());
    printedBeforeLabel_->show();
}

void CWaybillDlg::PrintCurrentWaybill()
{
    PrintCurrentWaybill(workspace_.Layout, withPictureBox_->isChecked());
}

void CWaybillDlg::PrintCurrentWaybill(const TemplateLayout& layout, bool withPicture, const char* logSource)
{
    const ModalScope waiting(*this);
    RefreshDate();
    pull();
    // The waybill as it is now: every question below is about these texts, and these are printed.
    const std::array<QString, kFieldCount> texts = FieldText;
    if (!withPicture && texts[kRecipientNameField].trimmed().isEmpty() &&
        texts[kRecipientAddressField].trimmed().isEmpty()) {
        if (showMessage(this, QString::fromUtf8(kNoRecipientQuestion), QStringLiteral("注意"), MessageIcon::Question,
                        MessageButtons::YesNo) != MessageAnswer::Yes)
            return;
    }
    if (!EnsureChosenPrinter(workspace_, this))
        return;
    const BarcodeValues numbers{waybillNumberEdit_->text().trimmed(), {}};
    const BeforePrint beforePrint = [this, &texts, &numbers](const WaybillFitCheck& check) {
        if (!ConfirmBarcodeFaults(this, check.checkBarcodes(texts, numbers)))
            return std::optional<FieldFontHeights>();
        return DecideCutPrint(this, check, texts, workspace_.ShrinkCutText);
    };
    // A check print on plain paper is no waybill sent: it is not logged, the number stays for
    // the real print, and the recipient stays to be printed. The next print is a real one
    // again, not the form's picture on a real form.
    if (withPicture) {
        if (PrintWaybillWithPicture(this, workspace_, texts, layout, numbers, beforePrint)) {
            PrintWithPicture = false;
            withPictureBox_->setChecked(false);
        }
        return;
    }
    const WindowLog log = printLog(logSource);
    if (!PrintWaybill(this, workspace_, texts, layout, beforePrint, &log))
        return;
    waybillNumberEdit_->clear();
    if (workspace_.ClearRecipientAfterPrint)
        ClearRecipient();
}

void CWaybillDlg::ClearRecipient()
{
    // The texts a shop address of no piece writes: every recipient field empty, the sender kept.
    for (const auto& [index, text] : RecipientTexts(RecipientFields{})) {
        FieldText[static_cast<std::size_t>(index)] = FromCodePage(text);
        setControlText(index, FieldText[static_cast<std::size_t>(index)]);
    }
}

void CWaybillDlg::OpenBatchPrint()
{
    const ModalScope waiting(*this);
    RefreshDate();
    pull();
    FieldTexts base;
    for (std::size_t i = 0; i < base.size(); ++i)
        base[i] = ToCodePage(FieldText[i]);
    // Each record brings its own recipient; what the window holds of one is none of its.
    for (const auto& [index, text] : RecipientTexts(RecipientFields{}))
        base[static_cast<std::size_t>(index)] = text;
    CBatchPrintDlg dialog(workspace_, base, this);
    dialog.templateName = templateCombo_->currentText();
    dialog.logStore = workspace_.addressBook();
    // An order went out before when the log holds that order (OrderKey). The log is read once,
    // when the first record asks; a log that cannot be read leaves every record unknown.
    using Keys = Result<std::unordered_set<std::string>>;
    auto printedBefore = std::make_shared<std::optional<Keys>>();
    dialog.alreadyPrinted = [printedBefore, log = *dialog.logStore](const FieldTexts& texts,
                                                                     const std::string& orderNumber) -> Result<bool> {
        if (!*printedBefore)
            *printedBefore = PrintLog(log).PrintedOrderKeys();
        const Keys& keys = **printedBefore;
        if (!keys)
            return keys.error();
        return keys.value().contains(OrderKey(texts, orderNumber));
    };
    dialog.exec();
}

void CWaybillDlg::OpenPrintLog()
{
    const ModalScope waiting(*this);
    CPrintLogDlg dialog(workspace_, storeListeners_, templateCombo_->currentText(), this);
    dialog.exec();
}

WindowLog CWaybillDlg::printLog(const char* source)
{
    WindowLog log(workspace_.addressBook());
    log.templateName = templateCombo_->currentText();
    log.source = source;
    log.waybillNumber = ToCodePage(waybillNumberEdit_->text().trimmed());
    log.time = [this] { return Clock().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString(); };
    // The engine writes the entry; a server is written to off the window's thread.
    log.writer = [this, location = log.store](LogWrite write) {
        FromStore(location, [this, write = std::move(write)]() -> std::function<void()> {
            auto stored = write();
            return [this, stored = std::move(stored)] { LogStored(stored); };
        });
    };
    return log;
}

void CWaybillDlg::LogStored(const Result<void>& stored)
{
    if (stored)
        storeListeners_.notify(StoreChange::PrintLog); // the recipient just printed is one printed before
    if (stored || logFailureShown_)
        return;
    logFailureShown_ = true;
    showMessage(this,
                QStringLiteral("快递单已打印，但打印记录无法保存：\n") + FromCodePage(UserMessage(stored.error())),
                QString::fromUtf8(kAppTitle), MessageIcon::Warning);
}

// The dialogs and lists below come with their own subsystems; each is reached through the
// one call named here.

// On a server, which may be slow to answer, read runs beside the window, one read after another
// in the order asked; on the file, here. What read gives back then runs in the window.
void CWaybillDlg::FromStore(const StoreLocation& location, std::function<std::function<void()>()> read)
{
    if (!location.onServer()) {
        read()();
        return;
    }
    storeWorker_.setMaxThreadCount(1);
    storeWorker_.start(
        [this, read = std::move(read)] { QMetaObject::invokeMethod(this, read(), Qt::QueuedConnection); });
}

void CWaybillDlg::FillGoodsList()
{
    goodsCombo_->removeAllEntries();
    const StoreLocation location = workspace_.addressBook();
    FromStore(location, [this, location]() -> std::function<void()> {
        auto goods = AddressBook(location).List(AddressTable::ProductName);
        return [this, goods = std::move(goods)] {
            if (!goods) {
                ShowStoreError(goods.error());
                return;
            }
            storeErrorShown_ = false;
            goodsCombo_->addEntries(SortedEntries(goods.value()));
        };
    });
}

void CWaybillDlg::FillAddressPickers()
{
    pickersFilled_ = std::chrono::steady_clock::now();
    senderPicker_->removeAllEntries();
    const StoreLocation location = workspace_.addressBook();
    FromStore(location, [this, location]() -> std::function<void()> {
        const AddressBook book(location);
        auto senders = book.List(AddressTable::SendAddress);
        std::optional<Result<std::vector<StoredText>>> recipients;
        if (senders)
            recipients = book.List(AddressTable::ReceiptAddress);
        return [this, senders = std::move(senders), recipients = std::move(recipients)] {
            if (!senders) {
                // The recipients' list keeps its entries.
                ShowStoreError(senders.error());
                return;
            }
            FillPicker(senderPicker_, senders.value());
            recipientPicker_->removeAllEntries();
            if (!*recipients) {
                ShowStoreError(recipients->error());
                return;
            }
            FillPicker(recipientPicker_, recipients->value());
        };
    });
}

// A server out of reach is told once, not once for every list it could not fill (each of
// which may have waited for it); the file's message comes with each fill.
void CWaybillDlg::ShowStoreError(const StoreError& error)
{
    const bool unreachableServer =
        error.kind == StoreError::CannotOpen && workspace_.addressBook().onServer();
    if (unreachableServer && storeErrorShown_)
        return;
    storeErrorShown_ = unreachableServer;
    showMessage(this, FromCodePage(UserMessage(error)), QString::fromUtf8(kAppTitle));
}

// Back at the window, the lists are read again (at most once in pickerRefreshSeconds): another
// station may have saved an address meanwhile. Quietly: a store that cannot be read leaves the
// lists as they are, without a box at every return to the window.
void CWaybillDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow())
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - pickersFilled_ < std::chrono::seconds(pickerRefreshSeconds))
        return;
    pickersFilled_ = now;
    const StoreLocation location = workspace_.addressBook();
    FromStore(location, [this, location]() -> std::function<void()> {
        const AddressBook book(location);
        auto goods = book.List(AddressTable::ProductName);
        auto senders = book.List(AddressTable::SendAddress);
        auto recipients = book.List(AddressTable::ReceiptAddress);
        return [this, goods = std::move(goods), senders = std::move(senders),
                recipients = std::move(recipients)] {
            if (!goods || !senders || !recipients)
                return;
            const std::pair<CCompletionCombo*, const std::vector<StoredText>*> lists[] = {
                {goodsCombo_, &goods.value()},
                {senderPicker_, &senders.value()},
                {recipientPicker_, &recipients.value()}};
            for (const auto& [combo, rows] : lists) {
                combo->removeAllEntries();
                combo->addEntries(SortedEntries(*rows));
            }
        };
    });
}

void CWaybillDlg::ApplyAddress(const std::array<int, 5>& fields, const std::array<std::string, 5>& parts)
{
    for (std::size_t i = 0; i < fields.size(); ++i)
        FieldText[static_cast<std::size_t>(fields[i])] = FromCodePage(parts[i]);
}

void CWaybillDlg::OnSenderPicked(int index)
{
    pull();
    SenderPickerText = senderPicker_->itemText(index);
    ApplyAddress(kSenderPickerFields, EntryParts(senderPicker_, index));
    push();
    SaveSenderDetails(); // the chosen sender is the one loaded at the next start
}

void CWaybillDlg::OnSenderTyped()
{
    pull();
    const auto parts = TypedInFullAddress(ToCodePage(SenderPickerText));
    if (!parts)
        return;
    ApplyAddress(kSenderPickerFields, *parts);
    push();
    SaveSenderDetails();
}

void CWaybillDlg::OnRecipientPicked(int index)
{
    pull();
    RecipientPickerText = recipientPicker_->itemText(index);
    ApplyAddress(kRecipientPickerFields, EntryParts(recipientPicker_, index));
    push();
}

void CWaybillDlg::OnRecipientTyped()
{
    pull();
    const auto parts = TypedInFullAddress(ToCodePage(RecipientPickerText));
    if (!parts)
        return;
    ApplyAddress(kRecipientPickerFields, *parts);
    push();
}


void CWaybillDlg::ShowFirstUseHelp()
{
    const ModalScope waiting(*this);
    CHelpDlg help(workspace_, this);
    help.exec();
}

void CWaybillDlg::ShowAboutBox()
{
    const ModalScope waiting(*this);
    CAboutDlg about(this);
    about.exec();
}

void CWaybillDlg::OpenPreview()
{
    const ModalScope waiting(*this);
    RefreshDate();
    pull();
    CAdjustPreviewDlg preview(workspace_, FieldText, this);
    preview.surface()->setBarcodeValues({waybillNumberEdit_->text().trimmed(), {}});
    preview.setPrintShown([this](const TemplateLayout& shown, bool withPicture) {
        PrintCurrentWaybill(shown, withPicture, kLogSourcePreview);
    });
    connect(&preview, &CAdjustPreviewDlg::layoutSaved, this, &CWaybillDlg::OnLayoutSaved);
    preview.exec();
}

// The preview or the template editor saved a layout: the controls move to its boxes now.
void CWaybillDlg::OnLayoutSaved()
{
    LayOutFieldControls();
    RemeasureCuts();
    update();
}

// The goods, the saved addresses and a layout the settings change reach the window while the
// settings are open. Which templates exist (so also which one mould.ini's position names) is
// read when they close; typed texts survive through pull and push.
void CWaybillDlg::OpenSettings()
{
    const ModalScope waiting(*this);
    CSettingsDlg settings(workspace_, storeListeners_, this);
    connect(&settings, &CSettingsDlg::layoutSaved, this, &CWaybillDlg::OnLayoutSaved);
    settings.exec();
    pull();
    FillTemplateList();
    ChangeTemplate(SelectedTemplate);
}

} // namespace dorvane
