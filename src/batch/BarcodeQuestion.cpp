#include "batch/BarcodeQuestion.h"

#include "base/MessageBox.h"

namespace dorvane {

bool ConfirmBarcodeFaults(QWidget* parent, const std::vector<BarcodeOutcome>& outcomes)
{
    QString faults;
    for (const BarcodeOutcome& outcome : outcomes) {
        if (outcome.fault != BarcodeFault::None)
            faults += QLatin1Char('\n') + DescribeBarcodeFault(outcome);
    }
    if (faults.isEmpty())
        return true;
    const QString question = QString::fromUtf8(kBarcodeFaultQuestion) + faults + QStringLiteral("\n\n") +
                             QString::fromUtf8(kPrintWithoutBarcode);
    return showMessage(parent, question, QString::fromUtf8(kAppTitle), MessageIcon::Question,
                       MessageButtons::YesNo) == MessageAnswer::Yes;
}

} // namespace dorvane
