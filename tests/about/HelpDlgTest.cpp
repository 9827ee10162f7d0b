#include "about/HelpDlg.h"

#include "workspace/Workspace.h"
#include "support/TempFolder.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace dorvane;
using dorvane::test::ReadBytes;
using dorvane::test::TempFolder;
using dorvane::test::WriteBytes;

class HelpDlgTest : public QObject {
    Q_OBJECT
private slots:
    void checkBoxRewritesLineThreeAtEveryClick()
    {
        TempFolder work;
        Workspace workspace;
        workspace.WorkFolder = work.path();
        std::filesystem::create_directory(work / "Set");
        const auto mould = work.path() / "Set" / "mould.ini";
        WriteBytes(mould, "3\r\n\xCB\xCE\r\n0");
        workspace.TemplatePosition = "7";

        CHelpDlg dialog(workspace);
        dialog.show();
        auto* check = dialog.findChild<QCheckBox*>("dontShowAgainCheck");
        QVERIFY(check);
        QVERIFY(!check->isChecked());
        QTest::mouseClick(check, Qt::LeftButton);
        QCOMPARE(ReadBytes(mould), std::string("3\r\n\xCB\xCE\r\n1\r\n"));
        QCOMPARE(workspace.TemplatePosition, std::string("3"));
        QTest::mouseClick(check, Qt::LeftButton);
        QCOMPARE(ReadBytes(mould), std::string("3\r\n\xCB\xCE\r\n0\r\n"));

        QTest::mouseClick(check, Qt::LeftButton);
        QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(ReadBytes(mould), std::string("3\r\n\xCB\xCE\r\n1\r\n"));
    }

    void missingFileIsCreatedWithEmptyFirstLines()
    {
        TempFolder work;
        Workspace workspace;
        workspace.WorkFolder = work.path();
        workspace.TemplatePosition = "2";
        CHelpDlg dialog(workspace);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QCheckBox*>("dontShowAgainCheck"), Qt::LeftButton);
        QCOMPARE(ReadBytes(work.path() / "Set" / "mould.ini"), std::string("\r\n\r\n1\r\n"));
        QCOMPARE(workspace.TemplatePosition, std::string());
    }

    void headingRedTipsBlue()
    {
        Workspace workspace;
        CHelpDlg dialog(workspace);
        auto* heading = dialog.findChild<QLabel*>("helpHeading");
        QVERIFY(heading);
        QCOMPARE(heading->text(), QStringLiteral("初次使用本软件必读："));
        QCOMPARE(heading->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        for (int i = 1; i <= 9; ++i) {
            auto* tip = dialog.findChild<QLabel*>(QStringLiteral("helpTip%1").arg(i));
            QVERIFY(tip);
            QCOMPARE(tip->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        }
        QCOMPARE(dialog.findChild<QLabel*>("helpTip9")->text(), QStringLiteral("免费帮您制作模板。"));
    }
};

QTEST_MAIN(HelpDlgTest)
#include "HelpDlgTest.moc"
