#include "batch/CutFieldMarker.h"

#include "workspace/Workspace.h"
#include "base/MessageBox.h"
#include "print/WaybillPrinter.h"
#include "template/TemplateLayout.h"

#include <QPalette>
#include <QPrinter>
#include <QStringList>
#include <QWidget>

namespace dorvane {

namespace {

const QColor kCutBackground(255, 205, 205);

QString FieldNames(const std::vector<int>& fields)
{
    QStringList names;
    for (const int field : fields)
        names.append(FieldName(field));
    return names.join(QStringLiteral("、"));
}

} // namespace

CutFieldMarker::CutFieldMarker(const Workspace& workspace, const std::array<QWidget*, kFieldCount>& controls,
                               QObject* parent)
    : QObject(parent), workspace_(workspace), controls_(controls)
{
}

CutFieldMarker::~CutFieldMarker() = default;

void CutFieldMarker::remeasure(const TemplateLayout& layout, const WaybillTexts& texts)
{
    WaybillPrintSetup setup = MakePrintSetup(workspace_, layout, controls_[0]->logicalDpiY());
    check_.reset();
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    PrepareMeasuringPrinter(*printer_, workspace_.PrinterName, setup);
    check_ = std::make_unique<WaybillFitCheck>(setup, *printer_);
    for (int field = 0; field < kFieldCount; ++field)
        mark(field, texts[static_cast<std::size_t>(field)]);
}

void CutFieldMarker::mark(int field, const QString& text)
{
    if (!check_)
        return;
    const TextBoxFit fit = check_->check(field, text);
    const auto i = static_cast<std::size_t>(field);
    QWidget* control = controls_[i];
    const bool cut = !fit.whole();
    if (cut) {
        QPalette palette = control->palette();
        palette.setColor(QPalette::Base, kCutBackground);
        control->setPalette(palette);
        control->setToolTip(DescribeCut(fit));
    } else if (marked_[i]) {
        control->setPalette(QPalette());
        control->setToolTip(QString());
    }
    marked_[i] = cut;
}

std::optional<FieldFontHeights> DecideCutPrint(QWidget* parent, const WaybillFitCheck& check,
                                               const WaybillTexts& texts, bool shrinkWithoutAsking)
{
    const FieldFits fits = check.checkAll(texts);
    const std::vector<int> cut = CutFields(fits);
    if (cut.empty())
        return FieldFontHeights{};
    if (!shrinkWithoutAsking) {
        QString question = QString::fromUtf8(kCutQuestion) + FieldNames(cut) + QLatin1Char('\n');
        for (const int field : cut)
            question += QLatin1Char('\n') + FieldName(field) + QStringLiteral("：") +
                        DescribeCut(fits[static_cast<std::size_t>(field)]);
        const MessageAnswer answer =
            showMessage(parent, question, QString::fromUtf8(kAppTitle), MessageIcon::Warning,
                        MessageButtons::YesNoCancel,
                        {QString::fromUtf8(kPrintAnyway), QString::fromUtf8(kPrintSmaller),
                         QString::fromUtf8(kCancelPrint)});
        if (answer == MessageAnswer::Yes)
            return FieldFontHeights{};
        if (answer != MessageAnswer::No)
            return std::nullopt;
    }
    const ShrinkResult shrunk = check.shrink(texts);
    if (!shrunk.ok()) {
        showMessage(parent, QString::fromUtf8(kUnfitMessage) + FieldNames(shrunk.unfit), QString::fromUtf8(kAppTitle),
                    MessageIcon::Warning);
        return std::nullopt;
    }
    return shrunk.heights;
}

} // namespace dorvane
