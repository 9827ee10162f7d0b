#pragma once
// The print-font dialog: chooses the body font (every field but the destination) and the
// destination font, saves both to FontSet.ini and puts them into use at once, or restores
// the program's default fonts.

#include "base/LogFont.h"

#include <QDialog>
#include <QFont>

#include <functional>
#include <optional>

class QPushButton;

namespace dorvane {

struct Workspace;

class CFontSetDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFontSetDlg(Workspace& workspace, QWidget* parent = nullptr);

    // The system font dialog, started from a font; nullopt when the user cancels. Tests put
    // their own answer in its place.
    using FontChooser = std::function<std::optional<QFont>(QWidget* parent, const QFont& initial)>;
    static void SetFontChooser(FontChooser chooser); // an empty chooser restores QFontDialog

    // The dialog's current, unsaved choice.
    LogFont BodyLogFont;
    LogFont DestinationLogFont;

    void ChooseBodyFont();
    void ChooseDestinationFont();
    void OnOK(); // save
    void RestoreDefaults();

private:
    Workspace& workspace_;
    void choose(QPushButton* button, const LogFont& inUse, LogFont& choice);

    QPushButton* bodyButton_ = nullptr;
    QPushButton* destinationButton_ = nullptr;
};

// The screen pixel height of a font chosen in the font dialog (which answers in points).
int ScreenPixelHeight(const QFont& font, const QWidget* widget);

} // namespace dorvane
