// The main window on a real X11 display takes a shop address that another program copies.
#include "app/MessageBox.h"
#include "support/WorkFolderFixture.h"
#include "waybill/WaybillDlg.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>

using namespace dorvane;
using dorvane::test::WorkFolderFixture;

namespace {
// Copies text the way another program does: xclip owns the clipboard from then on.
void CopyWithXclip(const WorkFolderFixture& work, const QString& text)
{
    const QString file = work.path(QStringLiteral("copied.txt"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(text.toUtf8());
    out.close();
    const int rc = QProcess::execute(QStringLiteral("sh"),
                                     {QStringLiteral("-c"),
                                      QStringLiteral("xclip -selection clipboard -t UTF8_STRING -i '%1' >/dev/null 2>&1").arg(file)});
    QCOMPARE(rc, 0);
}
} // namespace

class ClipboardX11Test : public QObject {
    Q_OBJECT

private slots:
    void init() { setMessagesAnsweredByTest(true); }

    void anotherProgramsCopyReplacesTheRecipientOnly()
    {
        WorkFolderFixture work;
        CWaybillDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* senderName = dialog.findChild<QLineEdit*>(QStringLiteral("senderNameEdit"));
        auto* recipientCompany = dialog.findChild<QLineEdit*>(QStringLiteral("recipientCompanyEdit"));
        senderName->setText(QStringLiteral("李四"));
        recipientCompany->setText(QStringLiteral("某公司"));

        CopyWithXclip(work, QStringLiteral("张三，13900000000，0574-88888888，浙江省 宁波市 鄞州区 某路 8 号，315000"));
        auto* recipientName = dialog.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit"));
        QTRY_COMPARE_WITH_TIMEOUT(recipientName->text(), QStringLiteral("张三"), 10000);
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("recipientMobileEdit"))->text(), QStringLiteral("13900000000"));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("recipientTelephoneEdit"))->text(), QStringLiteral("0574-88888888"));
        QCOMPARE(dialog.findChild<QPlainTextEdit*>(QStringLiteral("recipientAddressEdit"))->toPlainText(),
                 QStringLiteral("浙江省宁波市鄞州区某路8号"));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("recipientPostcodeEdit"))->text(), QStringLiteral("315000"));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("destinationEdit"))->text(), QStringLiteral("宁波市"));
        // The copy replaces the whole recipient, company included, and keeps the sender.
        QCOMPARE(senderName->text(), QStringLiteral("李四"));
        QCOMPARE(recipientCompany->text(), QString());

        // A plain word is no address: nothing changes.
        recipientName->setText(QStringLiteral("王五"));
        CopyWithXclip(work, QStringLiteral("hello"));
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(), QStringLiteral("hello"), 10000);
        QTest::qWait(200);
        QCOMPARE(recipientName->text(), QStringLiteral("王五"));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("recipientMobileEdit"))->text(), QStringLiteral("13900000000"));
    }
};

QTEST_MAIN(ClipboardX11Test)
#include "ClipboardX11Test.moc"
