#include "settings/PrinterChoice.h"

#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "base/MessageBox.h"
#include "print/WaybillPrinter.h"
#include "settings/PrinterSelDlg.h"

namespace dorvane {

bool EnsureChosenPrinter(Workspace& workspace, QWidget* parent)
{
    const std::string gone = workspace.PrinterName;
    if (!ChosenPrinterGone(gone))
        return true;
    showMessage(parent, QString::fromUtf8(kChoosePrinterMessage).arg(FromCodePage(gone)),
                QStringLiteral("注意"), MessageIcon::Warning);
    CPrinterSelDlg choice(workspace, parent);
    choice.exec();
    return !ChosenPrinterGone(workspace.PrinterName);
}

} // namespace dorvane
