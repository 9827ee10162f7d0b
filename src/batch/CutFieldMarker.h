#pragma once
// Marks the main window's field controls whose texts the printed form would cut: a red
// background and a tooltip saying what is lost. Measured on the printer the next job goes to.

#include "print/WaybillFitCheck.h"

#include <QObject>

#include <array>
#include <memory>

class QPrinter;
class QWidget;

namespace dorvane {

class TemplateLayout;
struct Workspace;

class CutFieldMarker : public QObject {
    Q_OBJECT
public:
    CutFieldMarker(const Workspace& workspace, const std::array<QWidget*, kFieldCount>& controls, QObject* parent);
    ~CutFieldMarker() override;

    // Measures on the settings' printer with the current layout and fonts, and marks all texts.
    void remeasure(const TemplateLayout& layout, const WaybillTexts& texts);
    // One field's text changed.
    void mark(int field, const QString& text);
    bool isMarked(int field) const { return marked_[static_cast<std::size_t>(field)]; }

private:
    const Workspace& workspace_;
    std::array<QWidget*, kFieldCount> controls_;
    std::array<bool, kFieldCount> marked_{};
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<WaybillFitCheck> check_;
};

// Before a job with cut fields: asks whether to print as it is, with smaller fonts, or not at
// all (or shrinks without asking). The font heights to print with; none to print nothing.
std::optional<FieldFontHeights> DecideCutPrint(QWidget* parent, const WaybillFitCheck& check,
                                               const WaybillTexts& texts, bool shrinkWithoutAsking);

inline const char* const kCutQuestion = "以下内容打印时将被截断：";
inline const char* const kPrintAnyway = "仍然打印";
inline const char* const kPrintSmaller = "缩小字号打印";
inline const char* const kCancelPrint = "取消";
inline const char* const kUnfitMessage = "以下内容缩小到 6 磅仍放不下，没有打印：";

} // namespace dorvane
