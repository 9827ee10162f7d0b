// Printing on a system without any printer: the spooler is pointed at a server that does
// not exist before the application starts, so no printer and no default printer are found.
#include "workspace/Workspace.h"
#include "base/MessageBox.h"
#include "batch/WindowPrint.h"

#include <QApplication>
#include <QPrinterInfo>
#include <QTest>

using namespace dorvane;

class NoPrinterTest : public QObject {
    Q_OBJECT

private slots:
    void noPrinterShowsTheMessageAndPrintsNothing()
    {
#ifdef _WIN32
        // CUPS_SERVER below hides the printers from Qt's CUPS backend only.
        QSKIP("Windows's printers cannot be hidden from the test");
#endif
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QFAIL("printers are still visible; the test cannot hide the spooler here");
        setMessagesAnsweredByTest(true);
        Workspace app;
        app.PrinterName = kDefaultPrinterName;
        app.Layout.setNumber(0, 2, 2300);
        app.Layout.setNumber(0, 3, 1270);
        app.PaperWidth = 2300;
        app.PaperLength = 1270;
        std::array<QString, kFieldCount> texts;
        texts[0] = QStringLiteral("Hangzhou");

        QVERIFY(!PrintWaybill(nullptr, app, texts));
        const QList<ShownMessage> shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QString::fromUtf8(kNoPrinterMessage));
        QCOMPARE(shown[0].caption, QString::fromUtf8(kAppTitle));
        QCOMPARE(shown[0].buttons, MessageButtons::Ok);
        // The lookup took the (empty) default printer name.
        QCOMPARE(app.PrinterName, std::string());
    }
};

int main(int argc, char** argv)
{
    // Before any spooler call: a server address where nothing listens.
    qputenv("CUPS_SERVER", "/nonexistent/dorvane-no-cups.sock");
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
    QApplication app(argc, argv);
    NoPrinterTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "NoPrinterTest.moc"
