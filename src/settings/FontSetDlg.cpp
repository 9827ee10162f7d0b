#include "settings/FontSetDlg.h"

#include "workspace/Workspace.h"
#include "base/MessageBox.h"
#include "base/PrintFontConversion.h"
#include "base/SettingsFiles.h"
#include "controls/GradientButton.h"

#include <QFontDatabase>
#include <QFontDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>

#include <cmath>

namespace dorvane {

namespace {

CFontSetDlg::FontChooser& Chooser()
{
    static CFontSetDlg::FontChooser chooser;
    return chooser;
}

struct FontDialogAnswer {
    QFont shown;                 // what the dialog showed when it opened
    std::optional<QFont> chosen; // nullopt when cancelled
};

FontDialogAnswer RunFontDialog(QWidget* parent, const QFont& initial)
{
    if (Chooser())
        return {initial, Chooser()(parent, initial)};
    QFontDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("字体"));
    dialog.setCurrentFont(initial);
    // Qt's sample line is Latin only; these fonts print Chinese first of all. The sample has
    // no interface of its own, so it is found by the name Qt gives it.
    if (auto* sample = dialog.findChild<QLineEdit*>(QStringLiteral("qt_fontDialog_sampleEdit")))
        sample->setText(QFontDatabase::writingSystemSample(QFontDatabase::SimplifiedChinese) +
                        QStringLiteral(" AaBbYyZz 123"));
    FontDialogAnswer answer{dialog.currentFont(), std::nullopt};
    if (dialog.exec() == QDialog::Accepted)
        answer.chosen = dialog.selectedFont();
    return answer;
}

} // namespace

void CFontSetDlg::SetFontChooser(FontChooser chooser)
{
    Chooser() = std::move(chooser);
}

int ScreenPixelHeight(const QFont& font, const QWidget* widget)
{
    if (font.pixelSize() > 0)
        return font.pixelSize();
    const QScreen* screen = widget ? widget->screen() : nullptr;
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return std::max(1, static_cast<int>(std::lround(font.pointSizeF() * dpi / 72.0)));
}

CFontSetDlg::CFontSetDlg(Workspace& workspace, QWidget* parent) : QDialog(parent), workspace_(workspace)
{
    setWindowTitle(QStringLiteral("设置打印字体"));
    setFont(QFont(QStringLiteral("宋体"), 9));
    BodyLogFont = workspace_.BodyFont;
    DestinationLogFont = workspace_.DestinationFont;

    const auto button = [this](const QString& text, const QString& name) {
        auto* b = new CGradientButton(text, this);
        b->setObjectName(name);
        return b;
    };
    bodyButton_ = button(QStringLiteral("设置打印正文字体"), QStringLiteral("bodyFontButton"));
    destinationButton_ = button(QStringLiteral("设置目的地字体"), QStringLiteral("destinationFontButton"));
    auto* restore = button(QStringLiteral("恢复默认字体"), QStringLiteral("restoreButton"));
    auto* save = button(QStringLiteral("保存(&S)"), QStringLiteral("saveButton"));
    save->setDefault(true);
    auto* close = button(QStringLiteral("退出(&X)"), QStringLiteral("closeButton"));
    connect(bodyButton_, &QPushButton::clicked, this, &CFontSetDlg::ChooseBodyFont);
    connect(destinationButton_, &QPushButton::clicked, this, &CFontSetDlg::ChooseDestinationFont);
    connect(restore, &QPushButton::clicked, this, &CFontSetDlg::RestoreDefaults);
    connect(save, &QPushButton::clicked, this, &CFontSetDlg::OnOK);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_FileDialogInfoView).pixmap(32, 32));
    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(bodyButton_, 0, 1);
    layout->addWidget(destinationButton_, 1, 1);
    layout->addWidget(restore, 2, 1);
    layout->addWidget(save, 0, 2);
    layout->addWidget(close, 1, 2);
}

void CFontSetDlg::ChooseBodyFont()
{
    choose(bodyButton_, workspace_.BodyFont, BodyLogFont);
}

void CFontSetDlg::ChooseDestinationFont()
{
    choose(destinationButton_, workspace_.DestinationFont, DestinationLogFont);
}

void CFontSetDlg::choose(QPushButton* button, const LogFont& inUse, LogFont& choice)
{
    button->setEnabled(false);
    // Every choice starts from the font in use, not from an unsaved earlier choice, and a
    // cancelled choice leaves the font in use.
    choice = inUse;
    const FontDialogAnswer answer = RunFontDialog(this, ToListedQFont(inUse));
    if (answer.chosen) {
        const auto read = [this](const QFont& font) {
            return FromQFont(font, ScreenPixelHeight(font, this));
        };
        choice = ApplyFontChoice(inUse, read(answer.shown), read(*answer.chosen));
    }
    button->setEnabled(true);
}

void CFontSetDlg::OnOK()
{
    Workspace& app = workspace_;
    app.BodyFont = BodyLogFont;
    app.DestinationFont = DestinationLogFont;
    if (!SaveFontSet(app.settingsPaths().fontSetIni, LogFontToText(BodyLogFont),
                     LogFontToText(DestinationLogFont))) {
        showMessage(this, QStringLiteral("保存失败！无法写入 Set/FontSet.ini，新字体只用到本次退出。"),
                    QStringLiteral("注意"), MessageIcon::Warning);
        return;
    }
    showMessage(this, QStringLiteral("保存成功！"), QStringLiteral("提示"), MessageIcon::Information);
}

void CFontSetDlg::RestoreDefaults()
{
    if (showMessage(this, QStringLiteral("此操作会将现有字体恢复到软件默认的字体，是否继续？"),
                    QStringLiteral("确认"), MessageIcon::Question,
                    MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    Workspace& app = workspace_;
    const bool saved =
        SaveFontSet(app.settingsPaths().fontSetIni, kRestoredBodyFont, kRestoredDestinationFont);
    LogFont body;
    TextToLogFont(kRestoredBodyFont, body);
    LogFont destination;
    TextToLogFont(kRestoredDestinationFont, destination);
    app.BodyFont = BodyLogFont = body;
    app.DestinationFont = DestinationLogFont = destination;
    if (!saved) {
        showMessage(this, QStringLiteral("恢复失败！无法写入 Set/FontSet.ini，默认字体只用到本次退出。"),
                    QStringLiteral("注意"), MessageIcon::Warning);
        return;
    }
    showMessage(this, QStringLiteral("恢复成功！"), QStringLiteral("成功"), MessageIcon::Information);
}

} // namespace dorvane
